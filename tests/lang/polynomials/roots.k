// Roots: polysolve finds all of them, the first search from 0 and each next
// one from the conjugate of the root before; polyroot one, from a start.
polysolve([1,0,1])
polysolve([2,-3,1])
polysolve([-6,11,-6,1])
polysolve([1i,0,1])
polysolve([-1,0,0,0,1])
// x^3: three zero roots
polysolve([0,0,0,1])
// highest coefficients 0 stand for no roots: 1 + 2x has one
polysolve([1,2,0])
polyroot([1,0,1],1)
polyroot([1,0,1],-1i)
polyroot([-6,11,-6,1],3.2)
polyroot([-6,11,-6,1],2)
r=polyroot([-6,11,-6,1]+0i,0.9+0.1i); abs(r-1)<1e-14
// refusals and failures
polysolve([5])
polysolve([])
polyroot([],1)
polysolve(5)
polysolve([0,0,0])
polysolve([1;2])
polysolve(~1,2~|~1,1~)
polyroot([1,0,1],"a")
polyroot([1,0,1],[1,2])
polysolve([1,NAN,1,1])
polyroot([1,1,1e400,1],1)
// Degree 200 with random coefficients: every root is a root of the whole
// polynomial within 1e-10 of its terms' size.
seed(1); p=normal(1,201); r=polysolve(p);
size(r), max(abs(polyval(p,r))/polyval(abs(p),abs(r))) < 1e-10
