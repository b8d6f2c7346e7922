// From a pipe nobody can answer the permission question: Python and user
// libraries are refused while the setting askexec asks for it.
py: 1+1
python("1+1")
function python f(x)
  return x
endfunction
f(1)
dll("nolibrary", "f", 1)
"next"
