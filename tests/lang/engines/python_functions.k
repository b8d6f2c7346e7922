// Python functions: defined with the function command, called by name, with
// py$ and with pycall; Python calling back into Kalix.
// setting askexec 0
function python twice(x)
  ## Doubles x in Python.
  y = x * 2
  return y
endfunction
twice(21)
py$twice(4)
pycall("twice", 1.5)
// Matrices arrive as lists of rows: * repeats the rows.
twice(1:3)
function python noresult()
  pass
endfunction
noresult()
function python several(a, b)
  return a + b, a - b
endfunction
{s, d} = several(5, 2); s, d
// py$ reaches any Python function, also those defined in Python lines.
py: import math
py: def hyp(a, b): return math.hypot(a, b)
py$hyp(3, 4)
// At most 32 arguments reach Python.
py: def count(*args): return len(args)
py: import os
pycall("os.path.join", "a", "b")
pycall("count", 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40)
pycall(1)
// Without a name at all, with and without parentheses.
pycall()
pycall
pycall("nofunction", 1)
// Python calls Kalix: user functions, map functions, builtins, "_"
// builtins, py$ functions; a name that is nothing says so.
function k(x) := x^2 + 1
function map m(x) := x + 100
py: import kalix
py: kalix.call("k", 3)
py: kalix.call("m", [[1, 2]])
py: kalix.call("sqrt", 16)
function overwrite sqrt(x) := "my own"
py: kalix.call("sqrt", 16), kalix.call("_sqrt", 16)
py: kalix.call("py$twice", 8)
py: kalix.call("nothing", 1)
"next"
py: kalix.call(3)
py: kalix.show([[1, 2], [3, 4]])
// A Python function that calls back into a Kalix function that calls Python.
function python outer(x)
  return kalix.call("inner", x) + 1
endfunction
function inner(x) := py$twice(x) * 10
outer(2)
// An error inside a callback is the error of the whole call, also when
// Python catches it.
function broken(x) := x + undefinedname
function python careful(x)
  try:
    return kalix.call("broken", x)
  except kalix.error as e:
    return str(e)
endfunction
careful(1)
