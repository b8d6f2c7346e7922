// Refused calls and failing functions of brent and nelder.
function p(x, c) := (x - c)^2 + 1
brent("p", 0, 0.1)
brent(1, 0, 0.1, 1e-10)
nelder("p", 2, 1, 1)
nelder("p", [1, 2; 3, 4], 1, 1)
function twice(x) := [x, x]
brent("twice", 0, 0.1, 1e-10)
brent("nosuch", 0, 0.1, 1e-10)
// A function that keeps falling: the march gives up. Steps of d <= epsilon
// start from epsilon and grow, so a minimum far away is still found.
function down(x) := -x
brent("down", 0, 0.1, 1e-10)
brent("down", 0, 0, 1e-10)
function up(x) := x
brent("up", 0, 0, 1e-10)
brent("p", 0, -0.1, 1e-10, 3)
brent("p", 0, 0, 1e-10, 5)
brent("p", 0, 0, 1e-10, -1000)
function fails(x) := x + undefined
brent("fails", 0, 0.1, 1e-10)
nelder("nosuch", [1, 2], 1, 1e-10)
// A plane has no minimum: the simplex runs off to infinity until its
// points, and so the function's values, are NAN.
function plane(v) := v[1] + v[2]
nelder("plane", [1, 2], 1, 1e-10)
// A function value NAN is an error naming the builtin, never an answer:
// everywhere, at the start, or only where the search goes.
function nanf(x) := NAN
brent("nanf", 0, 0.1, 1e-10)
function nanright(x)
  if x > 0.5 then return NAN; endif;
  return -x
endfunction
brent("nanright", 0, 0.1, 1e-10)
nelder("nanf", [1, 2], 0.1, 1e-10)
function nanfar(v)
  if v[1] > 1.5 then return NAN; endif;
  return (v[1] - 2)^2 + v[2]^2
endfunction
nelder("nanfar", [1; 2], 0.1, 1e-10)
// The interpreter stays usable.
brent("p", 0, 0.1, 1e-10, 3)
