// A dump file that cannot be written is closed at the first text that
// fails, with an error; later output goes to the terminal only.
dump "/dev/full"
1+1
"after"
dump
