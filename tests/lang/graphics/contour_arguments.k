// Refused arguments of contour and density: the values must be a real
// matrix of at least 2 x 2, the levels a real row (lines) or two rows
// (bands). The values are checked before the levels are resolved.
z=[1,2;3,4];
contour("a",[1,2])
contour([1,2],[1,2])
contour([1;2],[1,2])
contour(1,1)
contour(z*1i,[1,2])
contour(~1,2~,[1,2])
contour(z,"a")
contour(z,1i)
contour(z,[1,2;3,4;5,6])
contour(z,zeros(0,0))
contour("a",,)
contour(z,,)
contour([1,2],,)
contour(,[1,2])
contour(z)
density("a")
density([1,2])
density(1)
density(z*1i)
density(,)
density(z,1)
// inside a function: arguments are the function's variables
function levels(m, l)
  return contour(m, l)
endfunction
levels(z, "l")
levels("m", 1)
