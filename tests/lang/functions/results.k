// Results: several values, none, and what may follow a return.
function sumprod(a, b)
  return {a+b, a*b}
endfunction
{s, p} = sumprod(3, 4);
s
p
sumprod(5, 6)
function nothing(x)
  y = x;
endfunction
nothing(1)
v = nothing(1)
function early(x)
  if x > 0 then return; endif;
  return -x
endfunction
early(-4)
w = early(4)
function junk(x)
  return x y
endfunction
junk(1)
