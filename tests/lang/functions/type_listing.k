// The command type shows builtins, functions and variables.
function k(a, b=10, c="text", d=[1, 2]) := a+b
type k
function annotated([u, v], n: index, s: string vector) := n
type annotated
function body(x)
## help is not shown
  y = 1000000 * x; // comments are dropped
  z = .5 + 2e3;
  return y + z
endfunction
type body
// A long stored line is shown in pieces.
function longline(x)
  return x + 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 10 + 11 + 12 + 13 + 14 + 15 + 16 + 17
endfunction
type longline
type sin
type pi
m = [1, 2; 3, 4];
s = "abc";
type s, m
type nothing
type s, nothing
function overwrite sin(x, y) := x*y
type sin
function many(a, b, c, d, e, f, g) := a
many(1)
