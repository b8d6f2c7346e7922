// runge1 (fixed steps) and runge2 (adaptive) on y' = -y from 0 to 1.
function f(x, y) := -y
abs(runge1("f", 0, 1, 100, 1) - exp(-1)) < 1e-9
{y, h} = runge2("f", 0, 1, 1, 1e-8, 0.1);
abs(y - exp(-1)) < 1e-8, h > 0
// n below 1 takes one step, n = 2.7 takes two.
runge1("f", 0, 1, 0, 1) == runge1("f", 0, 1, 1, 1)
runge1("f", 0, 1, 2.7, 1) == runge1("f", 0, 1, 2, 1)
// Backwards, and not at all.
abs(runge2("f", 1, 0, 1, 1e-8, 0.1) - exp(1)) < 1e-7
{y, h} = runge2("f", 2, 2, 5, 1e-8, 0.1); y, h
// Vectors keep their shape; extra arguments reach the function.
function g(x, y, c) := c*y
runge1("g", 0, 1, 10, [1, 2], -1)
runge1("g", 0, 1, 10, [1; 2], -1)
{y, h} = runge2("g", 0, 1, [1, 2], 1e-8, 0.1, -1); round(y, 5)
// A harmonic oscillator returns to its start after one period.
function osc(x, y) := [y[2]; -y[1]]
abs(runge2("osc", 0, 2*pi, [1; 0], 1e-10, 0.1) - [1; 0]) < 1e-8
