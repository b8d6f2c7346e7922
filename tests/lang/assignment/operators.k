// The spellings of the assignment operators; "==" compares (those that
// reach Maxima: maxima/assignments.k).
x = 1
x := 2
x == 2
x ==3
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
