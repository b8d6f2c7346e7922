// Recursion: correct results, and runaway recursion ends with a message.
function fib(n)
  if n < 2 then return n; endif;
  return fib(n-1) + fib(n-2)
endfunction
fib(15)
function r(n) := r(n+1)
r(1)
"the interpreter is still usable"
fib(10)
function deep(n)
  if n == 0 then return 0; endif;
  return 1 + deep(n-1)
endfunction
deep(1000)
