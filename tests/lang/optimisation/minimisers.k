// brent: a local minimum of a function of one variable; the arguments
// after the four of brent are passed on to the function.
function p(x, c) := (x - c)^2 + 1
brent("p", 0, 0.1, 1e-10, 5)
brent("p", 0, 0.1, 1e-10, -3)
function q(x) := x^4 - 3*x^2 + x
brent("q", 0, 0.1, 1e-10)
brent("q", 0, 1, 1e-10)
brent("cos", 3, 0.5, 1e-10)
// nelder: Nelder-Mead from a start vector; the result has its shape.
function rosen(v) := 100*(v[2] - v[1]^2)^2 + (1 - v[1])^2
v = nelder("rosen", [-1.2, 1], 0.1, 1e-20); abs(v - [1, 1]) < 1e-6
v = nelder("rosen", [-1.2; 1], 0.1, 1e-20); abs(v - [1; 1]) < 1e-6
// A quadratic form gives a 1 x 1 matrix, which counts as a real.
function dist(v, w) := (v - w).(v - w)'
abs(nelder("dist", [0, 0, 0], 1, 1e-20, [1, 2, 3]) - [1, 2, 3]) < 1e-6
// A minimiser may be used inside the function it minimises.
function inner(c) := brent("p", 0, 0.1, 1e-10, c)
function outer(c) := (inner(c) - 2)^2
brent("outer", 0, 0.5, 1e-10)
