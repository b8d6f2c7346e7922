// needs maxima
// setting askexec 0
// runs in a temporary directory
// With askexec 0 Maxima starts without a question and runs what it is
// asked to.
:: system("touch f1")$
fileexists("f1")
