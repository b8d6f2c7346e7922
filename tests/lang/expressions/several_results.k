function args two()
return {1,2}
endfunction
two()+1
1+two()
two()*2
two().2
{a,b} = two(); b
atan2(two())
