// Refused arguments of mget, mset, diag and setdiag, each argument in
// turn. All arguments are resolved before any is checked; an empty index
// matrix answers before the other arguments are looked at. "f(a,,)"
// passes an empty last argument, a name that cannot be resolved.
A = [1, 2; 3, 4];
mget("a", [1, 1])
mget(A, "a")
mget(A, [1, 1, 1])
mget(A, 1)
mget(~1,2~, [1, 1])
mget("a", zeros(0, 2))
mget(A, [3, 1])
mget("a",,)
mget(,1)
mset("a", [1, 1], 5)
mset(A, "a", 5)
mset(A, [1, 1], "b")
mset(A, [1, 1], ~1,2~)
mset(1, [1, 1], 5)
mset(A, [1, 1], [1, 2, 3])
mset("a", zeros(0, 2), "b")
mset(A, [1, 1],,)
mset(A,,5)
diag(2, 2, "a", [1, 2])
diag(2, 2, 0, "a")
diag(2, 2, 0, [1; 2])
diag(2, 2, 0, ["a", "b"])
diag(2, 2, [0, 1], [1, 2])
diag(2, 2, none, [1, 2])
diag(2, 2, 0, zeros(1, 0))
diag([2, 2], "a", [1, 2])
diag([2, 2], 0, "a")
diag("a", 0, [1, 2])
diag(2, 0, [1, 2])
diag([2, 2], 0,,)
diag([2, 2],,[1, 2])
diag(2, 2, 1i, ~1,2~)
// sizes from 1 x 1 matrices and views, which are resolved by pushing a
// copy: the copies are not taken for the diagonal or the vector
m = [2]; B = [2, 2];
diag(m, m, 0)
diag(m, 0, 1)
diag(B[1], B[2], 0)
diag([2], 0, [1, 2])
diag(m, m, 1, [3, 4])
diag(B[1], B[2], 1, [5, 6])
diag(B[1:2], 0, [7, 8])
setdiag("a", 0, [1, 2])
setdiag(1, 0, [1, 2])
setdiag(A, "a", [1, 2])
setdiag(A, 0, "a")
setdiag(A, 0, [1; 2])
setdiag(A, 0, zeros(1, 0))
setdiag(A + 1i, 0, ~1,2~)
setdiag(A, 0,,)
setdiag("a",,[1, 2])
mget(A)
setdiag(A, 0)
// inside a function
function get(a, i)
  return mget(a, i)
endfunction
get(A, "a")
get(A, [1, 2; 2, 1])
// sizes
n = 1000; B = ones(n, n);
C = setdiag(B, 0, zeros(1, n)); D = diag(n, n, 0, 1:n);
[sum(mget(B, [1:n; 1:n]')), C[n, n], C[1, n], D[n, n], D[1, n]]
