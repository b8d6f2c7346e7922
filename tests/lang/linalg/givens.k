// Givens rotations: the reduction carried along on a second matrix, and
// one rotation of two rows.
{R,Q,f}=givensqr([3;4],[1,0;0,1]); R, Q, f
A=[1,2,1;2,4,0;2,4,3]; {R,Q,f}=givensqr(A,[1,0,0;0,1,0;0,0,1]); f
abs(Q.A-R)<1e-14
{A,B}=givensrot(1,1,2,[3,1;4,1],[1,0;0,1]); A, B
// The row indices are checked against the rows.
{A,B}=givensrot(1,3,1,[1,2;3,4;4,6],[1;2;3]); A, B
givensrot(1,2,2,[3,1;4,1],[1,0;0,1])
givensrot(1,4,1,[1,2;3,4;4,6],[1;2;3])
givensrot(3,1,2,[3,1;4,1],[1,0;0,1])
givensrot(1,1,2,[3,1;4,1],[1,0;0,1;0,0])
givensqr([3;4],[1,0,0])
givensqr(1,[1])
