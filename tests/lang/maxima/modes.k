// needs maxima
// setting askexec 0
// Maxima mode: every line goes to Maxima; "maximamode", "kalix " and
// "quit" stay with the interpreter.
maximamode on
a:=5, b:=a^2;
b
f(x):=x^2
f(3)
function g(x):=x+1
g(1)
kalix 1+1
maximamode direct
diff(sin(x),x)
maximamode off
maximamode
maximamode
maximamode;
maximamode
maximamode other
// "maximamode;" switched silently, "other" changed nothing: the mode is off.
1+1
