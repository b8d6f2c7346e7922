// A solve ALGLIB cannot make is reported, and Kalix goes on: infinite or
// NAN entries give the error; a finite matrix on which the iteration does
// not converge gives the success flag 0 and NAN for what was not computed.
aleigen(ones(3,3)*1e400,1)
aleigen(ones(3,3)*1e400,0)
aleigen(random(200,200)*NAN,1)
A=[2^-280,-2^-38,-8;-2^-199,2^130,2^130;2^55,-2^221,-2^-88];
{v,ok,V}=aleigen(A,1); v, ok, V
{v,ok}=aleigen(A,0); v, ok
// Entries near the ends of the range are scaled (by a power of two) before
// ALGLIB sees them: [1e308,1e308;-1e308,1e308] has the eigenvalues
// 1e308 +- 1e308i, and tiny matrices keep their digits.
{v,ok,V}=aleigen([1e308,1e308;-1e308,1e308],1); v, ok
abs(V[:,1]/V[1,1]-[1;1i])<1e-15
{v,ok}=aleigen([2,1;1,2]*1e-310,0); v, ok
{v,ok}=aleigen([2,1;1,2]*1e300,0); v, ok
// Eigenvalues beyond the largest double overflow.
{v,ok}=aleigen(ones(2,2)*1e308,0); v, ok
// alsolve with the same scaling: large or tiny systems solve.
{x,info,r}=alsolve([1e308,1e308;-1e308,1e308],[1e308;0],0); x, info
{x,info,r}=alsolve([2,1;1,3]*1e-310,[3;4]*1e-310,0); x, info
{x,info,r}=alsolve([2,1;1,3],[3,1;4,1]*1e-310,1); x, info
alsolve([1,NAN;1,1],[1;1],0)
"done"
