// Refused arguments of the tolerance builtins and magic: the kind first,
// then the value.
setepsilon("a")
setepsilon(-1)
setepsilon(NAN)
setepsilon([1, 2])
setepsilon(,)
localepsilon(1i)
localepsilon(-1)
localepsilon(,)
magic("a")
magic(2.5)
magic(2)
magic(-3)
magic(NAN)
magic([3, 3])
magic(2^40)
magic(,)
magic()
// inside a function
function m(n)
  return magic(n)
endfunction
m(2)
m("a")
// sizes
[sum(magic(1000)[1]), sum(magic(3)[:, 2]')]
