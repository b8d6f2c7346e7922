// A negative or NaN tolerance is refused; ranges never get a negative
// element count.
localepsilon(-5)
evaluate("10:10")
setepsilon(-3)
1:1
setepsilon(NAN)
epsilon()==2.220446049250313e-12
// 0 is a tolerance: comparisons become exact, ranges still count right.
setepsilon(0)==2.220446049250313e-12
0:0.5:2
5:1
function f() := localepsilon(-1)
f()
