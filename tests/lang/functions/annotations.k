// Parameter annotations are checked when the function is called.
function idx(n: index) := n
idx(3)
idx(2.5)
idx(0)
idx(NAN)
function nat(n: natural) := n
nat(0)
nat(-1)
function num(x: number) := x
num(1i)
num([1, 2])
function vec(v: vector) := v
vec([1, 2, 3])
vec([1; 2])
function col(v: column) := v
col([1; 2])
col([1, 2])
function txt(s: string) := s
txt("ok")
txt(1)
function cpl(z: complex) := z
cpl(1)
cpl(~1,2~)
function opt(x: none real = none) := x
opt()
opt(2)
opt("a")
function pos(v: positive) := v
pos([1, 2])
pos([1, 0])
function bad(x: colour) := x
