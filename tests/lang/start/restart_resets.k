// A restart clears the switches of the builtin library: errors are
// reported again after "errors off".
errors off
1/0
restart
1/0
