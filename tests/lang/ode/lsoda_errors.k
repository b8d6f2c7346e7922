// Refused calls and failures of lsoda.
function f(t, y) := -y
lsoda("f", [0, 1], 1, 1e-8, 0)
lsoda("f", 1, 1, 1e-8, 0, 0)
lsoda("f", [0, 1; 2, 3], 1, 1e-8, 0, 0)
lsoda("f", [0, 1], [], 1e-8, 0, 0)
lsoda("f", [0, 1], 1, "eps", 0, 0)
lsoda(1, [0, 1], 1, 1e-8, 0, 0)
lsoda("f", [0, 1], 1, 1e-8, 0, undefined)
// The result must have y0's shape.
function row(t, y) := y'
lsoda("row", [0, 1], [1; 2; 3], 1e-8, 0, 0)
function column(t, y) := y'
lsoda("column", [0, 1], [1, 2, 3], 1e-8, 0, 0)
lsoda("nosuch", [0, 1], 1, 1e-8, 0, 0)
function fails(t, y) := y + undefined
lsoda("fails", [0, 1], 1, 1e-8, 0, 0)
// A NAN in the derivative is an error naming the builtin.
function nanlate(t, y)
  if t > 0.5 then return NAN * y; endif;
  return -y
endfunction
lsoda("nanlate", [0, 0.25, 1], 1, 1e-8, 0, 0)
function nansecond(t, y) := [y[2], NAN]
lsoda("nansecond", [0, 1], [1, 2], 1e-8, 0, 0)
// eps = 0 asks for more accuracy than the machine has.
lsoda("f", [0, 1], 1, 0, 0, 0)
// Without restarts, a point behind the last step cannot be reached; with
// warnings on, the interpolation says why.
lsoda("f", [0, 1, 0.5], 1, 1e-8, 0, 0)
lsoda("f", [0, 1, 0.5], 1, 1e-8, 1, 0)
// Too far for the step limit of one interval.
function fast(t, y) := [y[2], -1e6*y[1]]
lsoda("fast", [0, 100], [1, 0], 1e-8, 0, 0)
lsoda("f", [0, 1], 1, 1e-8, 0, 0)
