// The stored body: numbers, command words, strings and comments.
function t(x)
  s = "endfunction is only text here";
  x1 = 1e6; y = x1 + .5; // comment
  list = 3;
  /* a block comment
     spanning lines */ z = 2;
$ w = 7;
  return {s, y, list, z, w}
endfunction
type t
{a, b, c, d, e} = t(0);
a
b
c, d, e
function h(x) return 2*x endfunction h(4)
function q(x)
  return "''" | ''"quoted"''
endfunction
q(1)
