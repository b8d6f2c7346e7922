// Refused arguments of besselallr and besselmodallr; both arguments are
// resolved before either is checked.
s = "a"; c = 1i;
besselallr(s, 1)
besselallr(1, c)
besselallr([1, 2], 1)
besselallr(1, [1, 2])
besselallr(s,,)
besselallr(,1)
besselmodallr(c, 1)
besselmodallr(1, s)
besselmodallr(~1,2~, 1)
besselmodallr(s,,)
// inside a function
function b(x, nu)
  return besselallr(x, nu)
endfunction
b(1, s)
