// Refused arguments of aleigen and alsolve, each argument wrong in turn;
// every argument is resolved before any is checked.
s = "a"; c = 1i;
aleigen(s, 0)
aleigen([1, 2; 2, 1], s)
aleigen([1, 2; 2, 1] + c, 0)
aleigen([1, 2; 2, 1], [0, 1])
aleigen([1, 2, 3], 0)
aleigen(zeros(0, 0), 0)
aleigen(s,,)
aleigen(,0)
{e, ok} = aleigen(2, 0); e, ok
alsolve(s, [1; 2], 0)
alsolve([1, 2; 3, 4], s, 0)
alsolve([1, 2; 3, 4], [1; 2], s)
alsolve([1, 2; 3, 4] + c, [1; 2], 0)
alsolve([1, 2; 3, 4], [1; 2], [0, 1])
alsolve([1, 2; 3, 4], [1, 2], 0)
alsolve(s, , 0)
// inside a function
function e(a, f)
  return aleigen(a, f)
endfunction
e([1, 2; 2, 1], s)
e([1, 2, 3], 0)
