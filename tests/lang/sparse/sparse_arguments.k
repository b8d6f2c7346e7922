// Refused arguments of the compressed matrix builtins, each argument in
// turn. All arguments are resolved before any is checked: an empty
// argument ("f(a,,)") is reported even after a wrong one.
C = cpx([1, 0; 0, 2]);
cpx("a")
cpx(1i)
cpx([1i, 2])
cpx(~1,2~)
cpx(C)
cpx(,)
decpx(1)
decpx(,)
cpxget(1)
cpxget(,)
cpxtranspose([1, 2])
cpxtranspose(,)
cpxzeros("a")
cpxzeros(2, "a")
cpxset(1, [1, 1, 1])
cpxset(C, [1, 1])
cpxset(C, 1)
cpxset(C, "a")
cpxset(C, [1i, 1, 1])
cpxset(C, [2^40, 1, 1])
cpxset(1,,)
cpxset(,[1, 1, 1])
cpxmult(1, C)
cpxmult(C, "a")
cpxmult(C, [1i; 1])
cpxmult(C, [1, 2, 3])
cpxmult(1,,)
cpxmult(,C)
cpxseidel(1, [1; 1], [0; 0], 1)
cpxseidel(C, [1, 1], [0; 0], 1)
cpxseidel(C, [1; 1], [0; 0; 0], 1)
cpxseidel(C, [1; 1], [0; 0], "a")
cpxseidel(C, [1; 1], [0; 0], [1, 2])
cpxseidel(cpx([1, 2]), 1, 1, 1)
cpxseidel(cpx([0, 1; 1, 0]), [1; 1], [0; 0], 1)
cpxseidel(1, [1; 1], [0; 0],,)
cpxseidel(,[1; 1], [0; 0], 1)
cpxmult(C)
// inside a function
function m(a, b)
  return cpxmult(a, b)
endfunction
m(C, "a")
m(C, [1; 1])
// sizes
n = 1000; D = cpx(setdiag(zeros(n, n), 0, 1));
P = decpx(cpxmult(D, D)); y = cpxseidel(D, ones(n, 1), zeros(n, 1), 1);
[P[n, n], P[1, n], rows(cpxget(cpxset(D, [1:n; 1:n; 2 * ones(1, n)]'))), y[1], y[n]]
