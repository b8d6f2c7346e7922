// lsoda: y' = -y at the points of x.
function f(t, y) := -y
y = lsoda("f", [0, 1], 1, 1e-8, 0, 0); y[1], abs(y[2] - exp(-1)) < 1e-7
y = lsoda("f", 0:0.5:2, 1, 1e-10, 0, 0); abs(y - exp(-(0:0.5:2))) < 1e-8
// Backwards, with restarts at every point, and with equal points.
y = lsoda("f", [1, 0], 1, 1e-8, 0, 0); abs(y[2] - exp(1)) < 1e-6
y = lsoda("f", [0, 1, 0.5], 1, 1e-8, 0, 1); abs(y - exp(-[0, 1, 0.5])) < 1e-6
lsoda("f", [0, 0, 1, 1], 1, 1e-8, 0, 0) == lsoda("f", [0, 0, 1, 1], 1, 1e-8, 0, 1)
lsoda("f", [0, 0], 3, 1e-8, 0, 0)
// A harmonic oscillator returns to its start after one period; a column
// start value needs column results from f.
function osc(t, y) := [y[2], -y[1]]
y = lsoda("osc", [0, 2*pi], [1, 0], 1e-10, 0, 0); abs(y[:, 2] - [1; 0]) < 1e-8
function osccol(t, y) := [y[2]; -y[1]]
y = lsoda("osccol", [0, pi], [1; 0], 1e-10, 0, 0); abs(y[:, 2] - [-1; 0]) < 1e-8
// Extra arguments go to f behind t and y.
function growth(t, y, k) := k*y
y = lsoda("growth", [0, 1], 2, 1e-8, 0, 0, 0.5); abs(y[2] - 2*exp(0.5)) < 1e-6
// The right-hand side may itself integrate.
function nested(t, y) := -y*lsoda("f", [0, 1], 1, 1e-10, 0, 0)[2]*exp(1)
y = lsoda("nested", [0, 1], 1, 1e-8, 0, 0); abs(y[2] - exp(-1)) < 1e-6
