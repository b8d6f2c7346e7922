// needs maxima
// setting askexec 0
// A Maxima killed from outside is replaced at the next command, saying so;
// forget removes a symbolic function from Maxima as well.
function f(x) &= x^2+1
mxm("f(3)")
forget f
mxm("f(3)")
::: a:5$
::: system("(sleep 1; kill -9 $PPID) &")$
wait(3);
mxm("a")
::: b:7;
mxm("b")
