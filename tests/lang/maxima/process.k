// needs maxima
// setting askexec 0
// Starting and stopping Maxima.
:: 1+1
mxmstart("")
mxmstop()
mxmstart(1)
mxmstart("")
:: 2+2
mxmstop()
// The next Maxima line starts Maxima again.
:: 3+3
