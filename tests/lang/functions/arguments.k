// Binding arguments: defaults, empty places, named arguments, counts.
function k(a, b=10, c=20) := a+b+c
k(1)
k(1,2)
k(1,,3)
k(1,c=5)
k(1,b:=5)
k(1,d=5)
k(b=5)
function k2(a=1, b) := a+b
k2(,5)
k2(a=5)
function two(a, b) := a*b
two(1)
two(1,2,3)
// A builtin of the same name takes a call with too few arguments.
function sin(a, b) := a+b
function overwrite sin(a, b) := a+b
sin(0)
sin(1,2)
function allowassigned loose(a) := a+extra
loose(1, extra=2)
// Extra arguments, argn, args and getarg.
function many(a, b, ...)
  return {argn(), a, b, arg3}
endfunction
{n, a, b, c} = many(1, 2, 30);
[n, a, b, c]
function rest(a, b) := args()
{p, q} = rest(1, 2; 3, 4)
function rest2(a, ...) := args(2)
{p, q} = rest2(7, 8, 9)
q
function third(a, ...) := getarg(3)
third(5, 6, 7)
third(5, 6)
getarg(1)
function bad(a, ...) := getarg(0)
bad(1)
function noparams() := argn()
noparams(1, 2, 3)
