// Refused arguments of alintegrate and alsingular, each argument wrong in
// turn, too few, an unknown function, and an empty one after a wrong one.
function f(x)
  return x^2
endfunction
s = "a"; c = 1i;
alintegrate(1, 0, 1)
alintegrate("f", s, 1)
alintegrate("f", 0, c)
alintegrate("f", 0, [1, 2])
alintegrate("nosuchfunction", 0, 1)
alintegrate("f", 0)
alintegrate()
alintegrate(1, , 1)
alintegrate("f", s, )
alsingular(1, 0, 1, 0, 0)
alsingular("f", 0, 1, s, 0)
alsingular("f", 0, 1, 0, c)
alsingular("f", 0, 1, 0)
alsingular("nosuchfunction", 0, 1, 0, 0)
alsingular(1, , 1, 0, 0)
round(alintegrate("f", 0, 1), 6), round(alsingular("f", 0, 1, 0, 0), 6)
// inside a function
function g(name, b)
  return alintegrate(name, 0, b)
endfunction
g("f", s)
g(1, 1)
