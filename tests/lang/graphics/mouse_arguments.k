// Refused status arguments of mouse and mousedrag: the status must be a
// string; nothing waits. "f(,)" passes an empty argument, a name that
// cannot be resolved.
w = ["a", "b"];
mouse(1)
mouse(1i)
mouse(~1,2~)
mouse([1, 2])
mouse(w)
mouse(,)
mouse(1, 2)
mousedrag(1)
mousedrag(1i)
mousedrag(~1,2~)
mousedrag(w)
mousedrag(,)
mousedrag("a", "b")
// inside a function
function click(status)
  return mouse(status)
endfunction
click(2)
click(w)
function drag(status)
  return mousedrag(status)
endfunction
drag(1i)
// sizes
mouse(zeros(1, 10^6))
mousedrag(1:10^6)
