// Refused arguments of the key and input builtins; none of these calls
// waits or reads a key. wait checks each argument as soon as it is
// resolved: a wrong first argument is reported before an empty second one
// (a name that cannot be resolved; "f(a,,)" for the last one). setkey
// resolves both arguments before checking either.
wait("a")
wait(1i)
wait([1,2])
wait(,)
wait("a","s")
wait(1,2)
wait(1,["a","b"])
wait("a",,)
wait(,"s")
key(1i)
key(["a","b"])
key(,)
setstatus(["a","b"])
setstatus(,)
setkey("1",,)
setkey(,"x")
setkey(1,2)
setkey(1i,"x")
setkey(NAN,"x")
input(["a","b"])
input(,)
lineinput(1i)
lineinput(,)
// inside a function
function pause(t, s)
  return wait(t, s)
endfunction
pause("t", "s")
pause(0, 1)
