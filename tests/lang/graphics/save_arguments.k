// runs in a temporary directory
// Refused arguments of the picture savers. Every argument is resolved
// before any is checked, so an empty argument (a name that cannot be
// resolved; "f(a,,)" for the last one) is reported even after a wrong one.
saveps(1)
saveps([1,2])
saveps(["a","b"])
saveps(,)
savesvg(1,100,100)
savesvg("a.svg","b",100)
savesvg("a.svg",100,"c")
savesvg("a.svg",[100,200],100)
savesvg("a.svg",100,1i)
savesvg("a.svg",~1,2~,100)
savesvg(["a","b"],100,100)
savesvg(1,,100)
savesvg(1,100,,)
// a trailing comma adds no argument: too few for savesvg
savesvg("a.svg",100,)
savesvg(,"b","c")
savepng(1,100,100,0)
savepng("a.png","b",100,0)
savepng("a.png",100,"c",0)
savepng("a.png",100,100,"d")
savepng("a.png",100,100,[0,1])
savepng(1,"b",,0)
savepng("a.png",,100,0)
pswindow("a")
pswindow([1,2,3])
pswindow(1)
pswindow(,)
// inside a function: arguments are the function's variables
function save(name, w, h)
  return savesvg(name, w, h)
endfunction
save(1, 100, 100)
save("a.svg", "w", 100)
// nothing was written
fileexists("a.svg"), fileexists("a.png")
