// Refused arguments of mxm, tex and mxmstart; Maxima is not started (askexec
// on, no terminal): an argument that passes its check says so. "f(,)"
// passes an empty argument, a name that cannot be resolved.
w = ["a", "b"];
mxm(1)
mxm(1i)
mxm(w)
mxm(,)
mxm("1+1")
tex(1)
tex([1, 2])
tex(w)
tex(,)
tex("x")
mxmstart(1)
mxmstart(w)
mxmstart(,)
mxmstart("/nonexistent")
// inside a function
function ask(text)
  return mxm(text)
endfunction
ask(2)
// sizes
mxm(zeros(1, 10^6))
tex((1:10^6) + 1i)
