// runs in a temporary directory
// Refused arguments of the colour and image builtins. savergb resolves
// both arguments before it checks either.
getred("a")
putblue("a")
getgreen(,)
loadrgb(1)
loadrgb([1,2])
loadrgb(,)
savergb("a","b.png")
savergb(1i,"b.png")
savergb([1,2],1)
savergb([1,2],["a","b"])
savergb("a",,)
savergb(,1)
savergb([1,2])
playwave(1)
playwave([1,2])
playwave(,)
// inside a function: arguments are the function's variables
function save(m, name)
  return savergb(m, name)
endfunction
save([1,2], 1)
fileexists("b.png")
