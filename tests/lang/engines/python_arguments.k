// Refused arguments of python, pyload, pyget, pyset and pycall. Python may
// not start here (askexec on, no terminal): arguments that pass their
// check say so. pyset checks the name before it resolves the value; pycall
// reads its name only. "f(a,,)" passes an empty last argument, a name that
// cannot be resolved.
w = ["a", "b"];
python(1)
python(1i)
python(~1,2~)
python([1, 2])
python(,)
python(w)
pyload(1)
pyload(w)
pyload(,)
pyload("none.py")
pyget(1)
pyget(1i)
pyget(w)
pyget(,)
pyget("x")
pyset(1, 2)
pyset(w, 2)
pyset(1,,)
pyset(,1)
pyset("x",,)
pyset("x", 1)
pycall()
pycall
pycall(1)
pycall(1i, 2)
pycall(w, 2)
pycall(1,,)
pycall(,)
pycall("f",,)
pycall("f", 1)
// inside a function
function get(name)
  return pyget(name)
endfunction
get(3)
function put(name, value)
  return pyset(name, value)
endfunction
put(w, 1)
// sizes
pyget(zeros(1, 10^6))
pyset((1:10^6) + 1i, 1)
pycall(1:10^6, 1:10^6)
