// Each level returns the level 0 and the values of the level below.
function el(n)
if n<=0 then return 1; endif
return errorlevel("el(n-1)")
endfunction
{a,b,c,d}=el(3); [a,b,c,d]
{a,b}=errorlevel("[1,2]"); b
errorlevel("unknownname")
