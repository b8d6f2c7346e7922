// Definitions over several lines, typed at the prompt or loaded.
function g(a, b=2)
  return a+b
endfunction
g(1)
g(1,b=3)
g(1,2,3)
function shout(x)
  y = 2*x
  return y
endfunction
z = shout(5);
z
function body() x = 3; return x endfunction
body()
cd(home());
load files/library.kx
norm2([3,4])
sign3(-2), sign3(0), sign3(7)
counter(4)
load files/unfinished.kx
never(1)
"still running"
