// Refused arguments of lsoda(f, x, y0, eps, warn, restart), each argument
// in turn. All six are resolved before any is checked: an empty argument
// (a name that cannot be resolved; "f(a,,)" for the last one) is reported
// even after a wrong one. Arguments after a semicolon count as given.
function f(t, y) := -y
x = [0, 1];
lsoda()
lsoda("f")
lsoda("f", x)
lsoda("f", x, 1)
lsoda("f", x, 1, 1e-8)
lsoda("f", x, 1, 1e-8, 0)
lsoda("f", x, 1, 1e-8; 0, 0)
lsoda(1, x, 1, 1e-8, 0, 0)
lsoda(["f", "g"], x, 1, 1e-8, 0, 0)
lsoda("f", "x", 1, 1e-8, 0, 0)
lsoda("f", 0, 1, 1e-8, 0, 0)
lsoda("f", [0], 1, 1e-8, 0, 0)
lsoda("f", zeros(1, 0), 1, 1e-8, 0, 0)
lsoda("f", [0, 1; 2, 3], 1, 1e-8, 0, 0)
lsoda("f", x + 1i, 1, 1e-8, 0, 0)
lsoda("f", ~0,1~, 1, 1e-8, 0, 0)
lsoda("f", x, "y", 1e-8, 0, 0)
lsoda("f", x, 1i, 1e-8, 0, 0)
lsoda("f", x, [], 1e-8, 0, 0)
lsoda("f", x, [1, 2; 3, 4], 1e-8, 0, 0)
lsoda("f", x, 1, "eps", 0, 0)
lsoda("f", x, 1, [1e-8, 1e-8], 0, 0)
lsoda("f", x, 1, 1e-8, 1i, 0)
lsoda("f", x, 1, 1e-8, 0, none)
lsoda(1, x, 1, 1e-8, 0,,)
lsoda(1, x, , 1e-8, 0, 0)
lsoda("f", x, , "eps", 0, 0)
lsoda(, x, 1, 1e-8, 0, 0)
lsoda("f", , 1, 1e-8, 0, 0)
lsoda("f", x, 1, , 0, 0)
// a column of points, a column y0 and a 1 x 1 matrix for eps are taken
lsoda("f", x', [1; 2], [1e-8], 0, 0)
// inside a function
function solve(g, points, y)
  return lsoda(g, points, y, 1e-8, 0, 0)
endfunction
solve("f", x, "y")
solve(1, x, 1)
solve("f", x, [1, 2])
// sizes: long refused arguments
lsoda("f", 1:10^6, 1, "eps", 0, 0)
lsoda("f", x, zeros(10^3, 10^3), 1e-8, 0, 0)
lsoda("f", x, 1:10^6, 1e-8, 0, 1i)
