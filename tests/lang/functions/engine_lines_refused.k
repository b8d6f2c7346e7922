// Lines for Maxima or Python are refused inside function bodies, each with
// its own message, also when indented; the function goes no further and the
// caller's line stops.
// setting enablemaxima 1
function f1()
  :: 1+1
  "not reached"
endfunction
function f2()
::: 2+2
endfunction
function f3()
  maxima 2+2
endfunction
function f4()
  : 2+2
endfunction
function f5()
  py: print(1)
endfunction
function f6()
  >> print(1)
endfunction
function f7(x)
  y = x + 1;
  return y
endfunction
f1(); "not reached either"
f2()
f3()
f4()
f5()
f6()
f7(1)
