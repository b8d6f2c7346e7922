// Functions for the help transcript.
comment
Demo utilities: square and cube.
endcomment

function square(x)
## the square of x
  return x^2
endfunction

function cube(x) := x^3
