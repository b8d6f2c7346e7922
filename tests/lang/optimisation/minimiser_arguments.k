// Refused arguments of brent and nelder, each argument wrong in turn, too
// few, and an empty one after a wrong one (every argument is resolved
// before any is checked). Arguments after the four go on to the function.
function f(x, a)
  return (x - a)^2
endfunction
function g(v)
  return sum((v - [1, 2])^2)
endfunction
s = "a"; c = 1i;
brent(1, 0, 0.1, 1e-8)
brent("f", s, 0.1, 1e-8)
brent("f", 0, c, 1e-8)
brent("f", 0, 0.1, [1, 2])
brent("f", 0, 0.1)
brent("f")
brent()
brent(1, , 0.1, 1e-8)
brent("f", 0, 0.1, 1e-8, )
round(brent("f", 0, 0.1, 1e-10, 3), 5)
nelder(1, [0, 0], 0.1, 1e-8)
nelder("g", 0, 0.1, 1e-8)
nelder("g", [0], 0.1, 1e-8)
nelder("g", [0, 0; 0, 0], 0.1, 1e-8)
nelder("g", [0, 0] + c, 0.1, 1e-8)
nelder("g", [0, 0], s, 1e-8)
nelder("g", [0, 0], 0.1, c)
nelder("g", [0, 0], 0.1)
nelder()
nelder(1, , 0.1, 1e-8)
round(nelder("g", [0, 0], 0.1, 1e-10), 4)
round(nelder("g", [0; 0], 0.1, 1e-10), 4)
// inside a function
function m(name, a)
  return brent(name, a, 0.1, 1e-8)
endfunction
m(1, 0)
m("f", s)
