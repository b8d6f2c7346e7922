// Gram-Schmidt, the zero-skipping products and Toeplitz matrices.
{Q,f}=orthogonal([1,1,0;0,0,1;1,1,1]); f
abs(Q[:,1]'.Q[:,3])<1e-15
{Q,f}=orthogonal([1,0,5;0,1,7]); Q, f
{Q,f}=orthogonal([1,I;I,1]); f
bandmult([1,0;0,2],[3,4;5,6])
bandmult([1,2;3,4],[I;1])
symmult([1,2;3,4],[1,3;2,4])
symmult([1,I;0,1],[1,0;-I,1])
toeplitz([1,2,3])
toeplitz([1,2,3,4,5])
toeplitzsolve([1,2,3],[3;5])
t=[1,2,6,3,5]; x=toeplitzsolve(t,[1;2;3]); toeplitz(t), abs(toeplitz(t).x-[1;2;3])<1e-15
