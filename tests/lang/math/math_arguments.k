// Refused arguments of round's digits and the fast random matrices.
s = "a"; c = 1i; iv = ~1,2~;
round(1.2345, s)
round(1.2345, c)
round(1.2345, [1, 2])
round(1.2345, iv)
round(s, 2)
round(undefinedname, s)
round(s,,)
round(1.2345,,)
round(1.2345 + 2.3456i, 2)
round([1.2345, 2.3456], 2)
fastrandom(2)
fastrandom([1, 2, 3])
fastrandom([1; 2])
fastrandom(s)
fastrandom([-1, 2])
fastrandom([1, 2^31])
fastrandom(c)
fastnormal([1; 2])
fastnormal(s)
fastnormal([2^31, 1])
// inside a function
function f(x, d)
  return round(x, d) + fastrandom(x)
endfunction
f(1.5, s)
f(1.5, 1)
// sizes
n = 10^6;
size(fastrandom([1, n])), size(fastnormal([n, 1])), size(round(1:n, 2))
