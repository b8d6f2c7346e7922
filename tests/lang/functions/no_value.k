// Calls that yield no value: a body without return, an empty body, and
// args() with no extra arguments to pass on.
function empty()
endfunction
empty()
v = empty()
function onlyhelp()
## nothing but help
endfunction
onlyhelp()
type onlyhelp
// Outside functions args() yields no value at once.
args()
w = args()
args(2)
// Inside a function it passes nothing on to a call.
function argcount(...) := argn()
function pass(a, ...) := argcount(a, args(), args(9), a)
pass(1)
pass(1, 2, 3)
function third(a, ...) := getarg(3)
third(1, 2)
t = third(1, 2)
function evaluated(a, ...) := evaluate("args()")
evaluated(1)
e = evaluated(1)
evaluated(1, 5)
"still running"
// An operand that yields no value is reported, and "%" stays usable.
function plus(...) := 5+args()
plus()
7;
%
