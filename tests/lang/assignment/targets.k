// Names before "=" and ":=": the target of an assignment, a named argument.
s = 1
s=2
s := 3
s
a1b2 = 9, a1b2
aa  =  4
a$ = 1, a$
// "not " and "complex:" are operators, not names
not = 4
not=5
not
complex:=6
complex = 7
// comparisons are no assignments
s == 3
s==3, s
// a prefix function takes what follows its name
function prefix g(x) := x+1
g 4
g = 7
g=7
g
function f(x) := x^2
f = 5
f
h = 1 // comment
h
function t()
  u = 1;
  u := u + 1;
  return u
endfunction
t()
