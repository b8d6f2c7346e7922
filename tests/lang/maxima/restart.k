// needs maxima
// setting askexec 0
// runs in a temporary directory
// A Maxima killed from outside is replaced at the next command, saying so;
// forget removes a symbolic function from Maxima as well.
function f(x) &= x^2+1
mxm("f(3)")
forget f
mxm("f(3)")
::: a:5$
// Killed once this command has ended; the file "killed" comes when it has.
::: system("(while [ ! -e asked ]; do sleep 0.01; done; kill -9 $PPID; while grep -qs '^[^)]*) [^Z]' /proc/$PPID/stat; do sleep 0.01; done; echo > killed) &")$
open("asked", "w"); close();
repeat; until fileexists("killed"); wait(0.01); end;
mxm("a")
::: b:7;
mxm("b")
