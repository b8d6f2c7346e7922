// Sums, products, division with remainder, trimming and construction from
// roots, for real, complex and interval coefficients.
polyadd([1,2,3],[1,1])
polyadd([1,-1],[-1,1])
polyadd([1,2],[1i])
polyadd(~1,2~,[1,1])
polyadd([],[1,2])
polymult([1,1],[1,-1])
polymult([1,1i],[1,-1i])
polymult(~1,2~,[~1,2~,1])
polymult([],[1,2])
polymult([1,2,3],2)
{q,r}=polydiv([-1,0,1],[1,1]); q, r
{q,r}=polydiv([1,2],[1,2,3]); q, r
{q,r}=polydiv([1,2,3,4],[1,1i]); q, r
// x^2 + 3x + 2 = (x + 1)(x + 2): exact, so the interval quotient is [2,1]
{q,r}=polydiv([2,3,1],~1,1~|~1,1~); q, r
{q,r}=polydiv([],[1,2]); q, r
polydiv([1,2],[1,0])
polydiv([1,2],[1i,0])
polydiv([1,2],[1,~-1,1~])
polydiv([1,2],[])
polydiv([1,2],[1;2])
polytrunc([0,0])
polytrunc([1,2,0,1e-20])
polytrunc([1+0i,0,1e-20i])
polytrunc([1,1e-20i])
polytrunc([])
polytrunc(5)
polytrunc([~1,2~,0])
polycons([1,2])
polycons(2)
polycons([1i,-1i])
polycons([])
polycons([~1,2~])
polycons([1;2])
// a string is not a row vector
polymult("a",[1,2])
polyadd([1,2],"b")
polydiv("a","b")
