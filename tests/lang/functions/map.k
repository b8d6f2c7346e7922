// Element-wise application: the builtin map and map functions.
function f(x) := x^2
map("f", [1, 2, 3])
map("f", [1; 2])
map("f", 5)
map("sqrt", [4, 9])
map("f", [])
function map sq(x) := x^2
sq([1, 2; 3, 4])
fmap([1, 2, 3])
function map add(x; y) := x+y
add([1, 2, 3], 100)
add([1, 2], [10; 20])
function map pair(x, y) := x*y
pair([1, 2], [3; 4])
pair([1, 2], [3, 4, 5])
pair([1; 2], [3; 4; 5])
function root(x)
  if x < 0 then return 1i*sqrt(-x); endif;
  return sqrt(x)
endfunction
map("root", [4, -9, 16])
function isab(s) := s == "ab"
map("isab", ["ab", "cd", "ab"])
function same(s) := s
map("same", ["ab", "cd"])
function quiet(x)
  y = x;
endfunction
map("quiet", [1, 2])
map("nosuch", [1, 2])
map(1, [1, 2])
map("f")
// A single string in a string vector is repeated over the other arguments.
function lenplus(s, x) := s == "ab" || x > 2
map("lenplus", ["ab"], [1, 2, 3])
map("lenplus", ["cd", "ab"], [1; 3])
