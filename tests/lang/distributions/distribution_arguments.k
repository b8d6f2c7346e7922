// Refused arguments of the F distributions and the quantile, each argument
// wrong in turn. The F members check each argument as soon as it is
// resolved; quantile resolves both first.
s = "a"; c = 1i; iv = ~1,2~;
fdis(s, 2, 3)
fdis(1, c, 3)
fdis(1, 2, [3, 4])
fdis(1, 2, iv)
fdis(s, , 3)
fdis(1, s, )
fdis(, 2, s)
fcdis(c, 2, 3)
fcdis(1, s, 3)
fcdis(1, 2, s)
fcdis(1, c, )
invfcdis([1, 2], 2, 3)
invfcdis(0.5, 2, c)
invfcdis(c, , 3)
quantile(1, 0.5)
quantile([1, 2], s)
quantile([1, 2], [0.5, 0.6])
quantile(s, 0.5)
quantile([1, 2; 3, 4], 0.5)
quantile([1, 2], 1.5)
quantile([1, 2], -0.5)
quantile(zeros(1, 0), 0.5)
quantile(c, c)
quantile(s,,)
quantile(,0.5)
// inside a function
function q(v, p)
  return quantile(v, p) + fdis(p, 2, 3)
endfunction
q([1, 2; 3, 4], 0.5)
q([1, 2, 3], s)
// sizes
n = 10^6; v = 1:n;
quantile(v, 0.5), quantile(v, 0), quantile(v, 1)
