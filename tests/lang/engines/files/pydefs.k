// Python functions in a program file.
function python cube(x)
  ## The cube of x.
  return x ** 3
endfunction
function python
cubes = [cube(k) for k in range(1, 4)]
endfunction
