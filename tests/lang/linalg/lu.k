// lu returns the decomposed matrix, the pivot rows, the pivot columns and
// the determinant.
{B,r,c,d}=lu([1,2,3;2,4,6;1,0,1]); B, r, c, d
{B,r,c,d}=lu([1,2;3,4]); B, r, c, d
{B,r,c,d}=lu([0,1;1,0]); r, d
{B,r,c,d}=lu([1,2;2,4]); r, c, d
{B,r,c,d}=lu([1,2,3;4,5,6]); r, c, d
{B,r,c,d}=lu([1,2;3,4;5,6]); r, c, d
{B,r,c,d}=lu(5); B, r, c, d
{B,r,c,d}=lu([1,I;2,3]); r, d
// lusolve takes the rows of B in the order r and b in the same order.
A=[1,2,1;2,1,0;1,1,3]; b=[4;3;5];
{B,r,c,d}=lu(A); x=lusolve(B[r,:],b[r]); x, A.x
lusolve([2,1;0,4],[I;4])
lusolve([1,2;0,0],[1;1])
lusolve([1,2;3,4],[1,2])
lu("a")
lu((1:0)')
