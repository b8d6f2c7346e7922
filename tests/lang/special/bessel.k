// Bessel functions: x first, the order second, element by element.
besselj(1,0)
bessely(1,0)
besseli(1,0)
besselk(1,0)
abs(besselj(1,0)-0.7651976865579666)<1e-15
abs(bessely(1,0)-0.08825696421567697)<1e-15
abs(besseli(1,0)-1.2660658777520082)<1e-15
abs(besselk(1,0)-0.42102443824070834)<1e-15
// the continued fraction beyond x = 2, fractional and higher orders
besselj(10,0)
bessely(10,2.5)
besseli(5,0.5)
besselk(0.1,3)
besselj([1,2;3,4],0)
besselj(1,[0,1,2])
// negative integer orders: J and Y take (-1)^n, I and K none
besselj(1,-3)+besselj(1,3)
bessely(1,-3)+bessely(1,3)
besseli(1,-3)-besseli(1,3)
besselk(1,-3)-besselk(1,3)
// negative x: J and I take (-1)^n; Y and K are not real there
besselj(-1,2)-besselj(1,2)
besselj(-1,3)+besselj(1,3)
besseli(-1,3)+besseli(1,3)
bessely(-1,3)
besselk(-1,3)
// at x = 0
besselj(0,0)
besselj(0,1)
besseli(0,0)
bessely(0,0.5)
besselk(0,1)
// all four values of one evaluation
{j,y,jp,yp}=besselallr(1,0); j, y, jp, yp
{i,k,ip,kp}=besselmodallr(1,1); i, k, ip, kp
{j,y,jp,yp}=besselallr(0,1); j, y, jp, yp
// refusals
besselj(0.5,-2.5)
besselj(-0.5,2)
besselj(-2,0.5)
besselk(-2,0.5)
besselj(1,1i)
besselk(~1,2~,1)
besselallr("a",1)
besselmodallr([1,2],1)
// Far from the origin: Hankel's expansion (no argument is too large), I
// beyond the largest double and K below the smallest.
bessely(1e6,0)
besseli(1e6,0)
besselk(1e6,0)
besselj(1e8,[0,1,2.5])
besselj(9900,0)
besselj(1e-3,50)
// Only x = 0 is singular: near it Y and K are finite while representable.
bessely(1e-13,0)
besselk(1e-13,0)
besselk(1e-13,1)
bessely([1e-300,1e-100,1e-13,1e-12,0],0)
besselk([5e-324,1e-300,2e-12],0.5)
besselj(1e-13,1)
{j,y,dj,dy}=besselallr(1e-13,1); [j,y,dj,dy]
