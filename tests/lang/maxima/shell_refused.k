// needs maxima
// runs in a temporary directory
// Maxima runs shell commands, so starting it is asked like exec: with
// nobody to answer (input from a pipe) every way to Maxima is refused, and
// the command never runs.
:: system("touch f1")
::: system("touch f2");
y &= system("touch f3")
mxmstart("")
maximamode on
system("touch f4");
maximamode off
fileexists("f1") + fileexists("f2") + fileexists("f3") + fileexists("f4")
