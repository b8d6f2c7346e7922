// Refused calls and failures of runge1 and runge2.
function f(x, y) := -y
runge1("f", 0, 1, 10)
runge1("f", 0, 1, 10, [1, 2; 3, 4])
runge1("f", 0, 1, 10, "y")
runge2("f", 0, 1, 1, 1e-8)
runge2("f", 0, 1, [], 1e-8, 0.1)
// The function must return y's shape.
function row(x, y) := [y[1], y[2]]
runge1("row", 0, 1, 10, [1; 2])
function column(x, y) := [y[1]; y[2]]
runge1("column", 0, 1, 10, [1, 2])
runge1("nosuch", 0, 1, 10, 1)
runge1("sin", 0, 1, 10, 1)
// eps = 0 asks for an error estimate of exactly 0.
runge2("f", 0, 1, 1, 0, 0.1)
function fails(x, y) := y + undefined
runge2("fails", 0, 1, 1, 1e-8, 0.1)
// A NAN in the derivative is an error naming the builtin.
function nanlate(x, y)
  if x > 0.5 then return NAN * y; endif;
  return -y
endfunction
runge1("nanlate", 0, 1, 10, 1)
runge2("nanlate", 0, 1, 1, 1e-8, 0.1)
function nansecond(x, y) := [y[2], NAN]
runge1("nansecond", 0, 1, 10, [1, 2])
function nancolumn(x, y) := [y[2]; NAN]
runge2("nancolumn", 0, 1, [1; 2], 1e-8, 0.1)
runge1("f", 0, 1, 10, 1)
