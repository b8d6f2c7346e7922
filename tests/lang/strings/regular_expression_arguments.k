// Refused arguments of strxfind and strxrepl, each argument in turn. The
// text and the pattern are both resolved before either is checked; a
// start position or a replacement is resolved after that check.
strxfind(1, "a")
strxfind("a", 1)
strxfind("a", "a", "b")
strxfind("a", "a", NAN)
strxfind(1,,)
strxfind("a",,)
strxfind(,"a")
strxfind("a", "a",,)
strxfind(1, "a",,)
strxfind(,1,"b")
strxrepl(1, "a", "b")
strxrepl("a", 1, "b")
strxrepl("a", "a", 1)
strxrepl("a", "(", "b")
strxrepl(1,,"b")
strxrepl(1, "a",,)
strxrepl("a", "a",,)
strxrepl(,1,2)
strxfind("a")
// inside a function
function g(s, p)
  return strxfind(s, p)
endfunction
g("abc", 1)
{p, m, groups} = g("abc", "(b)(c)"); p, m, groups
// sizes
n = 10^6; s = chartostr(97 * ones(1, n)) + "b";
[strxfind(s, "b"), strlen(strxrepl(s, "a+", "c"))]
