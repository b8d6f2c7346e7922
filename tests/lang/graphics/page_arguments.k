// Refused arguments of the page builtins: a page number must be a real
// scalar; addpage(w, h) takes two reals. An empty argument (a name that
// cannot be resolved) is reported before a wrong one ahead of it.
copyfrompage("a")
copyfrompage([1,2])
copyfrompage(1i)
copyfrompage(~1,2~)
copyfrompage(,)
copytopage("a")
copytopage([1,2])
copytopage(,)
showpage("a")
showpage([1,2])
showpage(1i)
showpage(,)
addpage("a",1)
addpage(1,"a")
addpage([1,2],1)
addpage(1,1i)
addpage("a",,)
addpage(,1)
addpage(1,2,3)
// inside a function: arguments are the function's variables
function page(n)
  return showpage(n)
endfunction
page("x")
pages()
