// A stack size that cannot be had: Kalix says so (a warning on standard
// error) and runs on a stack of the default size.
// setting stacksize64 2000000000
x = 1:4;
function f(n) := n * 2
f(x), sum(x)
