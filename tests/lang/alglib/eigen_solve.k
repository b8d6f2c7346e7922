// Eigenvalues and eigenvectors of a general real matrix, and dense solves
// with a condition estimate, through ALGLIB.
aleigen([0,1;-1,0],1)
{e,ok,v}=aleigen([0,1;-1,0],1); e, ok, v
// the eigenvectors: A v = v diag(e)
A=[0,1;-1,0]; abs(A.v-v*e)<1e-15
{e,ok}=aleigen([2,0;0,3],0); e, ok
{e,ok,v}=aleigen([1,2;3,4],NAN); e
aleigen(5,1)
{x,info,r}=alsolve([2,1;1,3],[3;5],0); x, info, r
{x,info,r}=alsolve([2,1;1,3],[3,1;5,2],1); x, info
{x,info,r}=alsolve(4,8,0); x
// a singular matrix: ALGLIB's status says so
{x,info,r}=alsolve([1,2;2,4],[1;2],0); info, r
// refusals
aleigen([1,2,3;4,5,6],1)
aleigen([1,2;3,4],"a")
aleigen([1i,0;0,1],1)
alsolve([1,2;3,4],[1;2;3],0)
alsolve([1,2,3;4,5,6],[1;2],0)
alsolve([1,2;3,4],[1;2],"a")
alsolve("a",[1;2],0)
