pi
E
I
true
false
isNAN(NAN)
epsilon()
setepsilon(1e-10)
epsilon()
setepsilon(2.220446049250313e-12);
magic(3)
magic(4)
// Orders 4m + 2 are built from 2 x 2 blocks in three patterns.
M = magic(6); M[:, 1:4], M[:, 5:6]
M = magic(10); M[:, 1:4], M[:, 5:8], M[:, 9:10]
magic(2)
setepsilon("a")
