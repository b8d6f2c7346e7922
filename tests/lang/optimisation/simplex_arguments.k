// Refused arguments of simplex, each argument wrong in turn, too few and
// too many; every argument is resolved before any is checked, and the
// optional ones may be given as none.
s = "a"; c = 1i; A = [1, 1; 1, -1]; b = [2; 1]; v = [1, 1];
simplex(s, b, v)
simplex(A, s, v)
simplex(A, b, s)
simplex(A + c, b, v)
simplex(A, b)
simplex(A)
simplex(undefinedname, b)
simplex(A, b, v, 0, 0, 1, 1)
simplex(undefinedname, b, v, 0, 0, 1, 1)
simplex(A, [2, 1], v)
simplex(A, b, [1; 1])
simplex(A, [2; 1; 0], v)
simplex(A, b, [1, 1, 1])
simplex(zeros(0, 2), zeros(0, 1), v)
simplex(A, b, v, s)
simplex(A, b, v, [1, 1])
simplex(A, b, v, [1; 1; 1])
simplex(A, b, v, 0, s)
simplex(A, b, v, 0, [0; 0])
simplex(A, b, v, 0, [0, 0, 0])
simplex(A, b, v, 0, 0, s)
simplex(A, b, v, 0, 0, [1, 1])
simplex(A, b, v, none, none, s)
simplex(A, b, v, none, [0, 0, 0], 1)
simplex(A, [NAN; 1], v)
simplex(A, b, v, NAN)
simplex(s, , v)
simplex(, b)
simplex(A, b, v, s, )
{x, r} = simplex(A, b, v, none, none, 1); x, r
{x, r} = simplex(A, b, v, 0, 0, -1); x, r
{x, r} = simplex(A, b, v, [-1; -1]); x, r
// inside a function
function lp(a, b, c)
  return simplex(a, b, c)
endfunction
lp(A, b, s)
