// A string naming a map function calls it element by element.
function g(x)
return x+1
endfunction
gmap([1,2])
"gmap"([1,2])
s="gmap"; s([3,4])
function map h(x) := x*2
"h"([1,2])
