// Parameters: local assignments, reference parameters, vector groups.
function local(x)
  x = 7;
  return x
endfunction
a = 2;
local(a)
a
function setref(%x)
  %x = 5;
endfunction
b = 1;
setref(b);
b
function growref(%x)
  %x = [1, 2];
endfunction
growref(b);
b
function vg([a, b, c], d) := a+b+c+d
vg([1, 2, 3], 10)
vg(1, 2, 3, 10)
vg([1, 2], 10)
vg([1, 2, 3, 4], 10)
// The spread vector stays in the frame as an empty record.
function spread([a, b]) := getarg(1)
v = [3, 4];
spread(v)
v
function missing(a, b) := a
missing(1)
