// Refused arguments of runge1 and runge2, each argument wrong in turn, too
// few, and an empty one after a wrong one (every argument is resolved
// before any is checked).
function f(x, y)
  return -y
endfunction
s = "a"; c = 1i;
runge1(1, 0, 1, 10, 1)
runge1("f", s, 1, 10, 1)
runge1("f", 0, c, 10, 1)
runge1("f", 0, 1, [10, 20], 1)
runge1("f", 0, 1, 10, s)
runge1("f", 0, 1, 10, [1, 2; 3, 4])
runge1("f", 0, 1, 10, zeros(1, 0))
runge1("f", 0, 1, 10, c)
runge1("f", 0, 1, 10)
runge1()
runge1(1, , 1, 10, 1)
round(runge1("f", 0, 1, 10, 1), 5)
runge2(1, 0, 1, 1, 1e-8, 0.1)
runge2("f", s, 1, 1, 1e-8, 0.1)
runge2("f", 0, s, 1, 1e-8, 0.1)
runge2("f", 0, 1, s, 1e-8, 0.1)
runge2("f", 0, 1, [1, 2; 3, 4], 1e-8, 0.1)
runge2("f", 0, 1, 1, c, 0.1)
runge2("f", 0, 1, 1, 1e-8, [1, 2])
runge2("f", 0, 1, 1, 1e-8)
runge2(1, , 1, 1, 1e-8, 0.1)
{y, h} = runge2("f", 0, 1, [1; 2], 1e-8, 0.1); round(y, 5)
// inside a function
function r(name, y0)
  return runge1(name, 0, 1, 10, y0)
endfunction
r(1, 1)
r("f", s)
