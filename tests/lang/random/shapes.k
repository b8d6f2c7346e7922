// Sizes: n gives 1 x n, n, m and [n, m] give n x m; 0 gives an empty row.
random(0)
normal(0)
intrandom(0,6)
shuffle([])
x=random(2,3); x<1 && x>0
x=normal([2,3]); x==x
x=random(); x>0 && x<1
x=normal(); x==x
// integers 1 .. k
x=intrandom(2,3,6); x==floor(x) && x>=1 && x<=6
x=intrandom([2,3],6); x==floor(x) && x>=1 && x<=6
x=intrandom(3,6); x==floor(x) && x>=1 && x<=6
x=intrandom(6); x==floor(x) && x>=1 && x<=6
intrandom(1,1)
seed(3)
// a permutation: every value once
v=shuffle(1:10); sum=0; for k=1 to 10; sum=sum+(v==k); end; sum
shuffle(7|7|8)
// the values never exceed 1 - epsilon
seed(3); setepsilon(0.5); random(1,6)
setepsilon(2.220446049250313e-12);
