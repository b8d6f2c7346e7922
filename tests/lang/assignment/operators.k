// Every spelling of the assignment operators; "==" compares.
x = 1
x := 2
x == 2
x ==3
y::=3
y
z&:=4
z
v&=a+b
v&&=a+b
x &= 1
x = = 3
x=-1
// Names ending in "$$" go to the global store also inside a function.
function f
  g$$ = 7;
  ab$$ = 8;
  a$ = 9;
  return a$
endfunction
f()
g$$
ab$$
a$
