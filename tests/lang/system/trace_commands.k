// trace with a function name toggles the function's trace flag.
function f(x) := x + 1
trace f
trace f
trace "f"
trace alloff
trace nosuchfunction
// traceif: a real or a string; NaN counts as nonzero.
traceif 0
traceif NAN
traceif "text"
traceif [1, 2]
trace off
trace alloff
f(1)
// "trace errors": a failed function lets the user evaluate expressions in
// its frame until an empty line.
function g(a)
  b = a * 2;
  c = undefinedname + b;
  return c
endfunction
function h(a) := g(a + 1)
trace errors
h(1)
b
a + b
nosuch
b - 1

"after the inspection"
trace off
h(1)
// At the end of the input no key can come: the trace is interrupted, and
// the traceback shows where.
trace f
f(1)
