// setting askexec=0
// runs in a temporary directory
// The argument text is split into words, never given to a shell.
exec("sh", ''-c "exit 3"'', "", 0, 1, 1)
{lines, code} = exec("printf", ''"%s|" "a b" c \"d\" 'e'.'', "", 1, 0, 1);
lines, code
// Standard error joins standard output; carriage returns are dropped.
{lines, code} = exec("sh", ''-c "printf 'one\r\ntwo\n'; echo three >&2; exit 1"'', "", 1, 0, 1);
lines, code
// A long output is read while the child runs: every line arrives.
{lines, code} = exec("seq", "1 100000", "", 1, 0, 1);
code, lines[1], lines[99999], lines[100000]
lines[100001]
// A directory of its own; a child ended by a signal.
{lines, code} = exec("pwd", "", "/", 1, 0, 1);
lines
exec("sh", ''-c "kill -9 $$"'', "", 0, 1, 1)
// Without pipes the child writes where Kalix writes, unless it is hidden.
exec("echo", "shown", "", 0, 0, 1)
exec("echo", "hidden", "", 0, 1, 1)
// A conversation with a child that runs on. It echoes each line and
// makes the file "echoed" after the last one.
exec("sh", ''-c "while read -r l; do echo \"$l\"; [ \"$l\" = again ] && : > echoed; done"'', "", 1, 0, 0)
execwrite("hello")
execwriteln(" world")
execwriteln("again")
repeat; until fileexists("echoed"); wait(0.01); end;
execread()
// Nothing new: one empty string.
r = execread(); r[1] == "", r[2]
execkill();
execwriteln("gone")
// Programs that cannot be started.
exec("no-such-program-here", "", "", 1, 0, 1)
exec("/etc/passwd", "", "", 1, 0, 1)
