// Refused arguments of getnow: the flag must be a real scalar (a 1 x 1
// matrix is one). "f(,)" passes an empty argument, a name that cannot be
// resolved.
getnow("x")
getnow(1i)
getnow(~1,2~)
getnow([1, 2])
getnow(zeros(0, 1))
getnow(["a", "b"])
getnow(none)
getnow(,)
getnow()
getnow(0, 1)
a = [0, 1]; size(getnow(a[1])), size(getnow([1]))
// inside a function
function now(flag)
  return getnow(flag)
endfunction
now("utc")
now(1i)
size(now(1))
// sizes: long arguments are refused as a whole
getnow(zeros(1, 10^6))
getnow((1:10^6) + 1i)
