// evaluate, errorlevel, error and eval.
evaluate("1+2")
x = 4;
evaluate("x^2")
evaluate("1+2)")
evaluate(3)
errorlevel("1+2")
{level, value} = errorlevel("2*3");
[level, value]
errorlevel("nosuchname")
errorlevel(3)
error("boom")
function guarded(x)
  if x < 0 then error("negative"); endif;
  return sqrt(x)
endfunction
guarded(4)
guarded(-1)
errorlevel("guarded(-1)")
function two(a, b) := a*b
eval("two", 3, 4)
function extra(a, ...) := argn()
eval("extra", 1, 2, 3)
eval("nosuch", 1)
eval(1, 2)
eval("two", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21)
