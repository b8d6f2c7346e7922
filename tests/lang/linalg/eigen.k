// Characteristic polynomial, Hessenberg form, symmetric eigenvalues and
// the singular value decomposition.
charpoly([1,2;3,4])
charpoly([1,0;0,1])
charpoly([2,1,1;0,3,1;4,1,5])
charpoly([I,1;2,-I])
{H,q}=hb([1,2,3;4,5,6;7,8,10]); H, q
H[q,q]
jacobi([2,1;1,2])
jacobi([3,0,0;0,-1,0;0,0,2])
e=jacobi([4,1,0;1,3,1;0,1,2]); e, e[1]+e[2]+e[3]
{U,w,V}=svd([1,2;3,4;5,6]); abs((U*w).V'-[1,2;3,4;5,6])<1e-14
abs(V'.V-[1,0;0,1])<1e-15
w[1]>=0 && w[2]>=0
{U,w,V}=svd([3;4]); w, abs(V)
{U,w,V}=svd([1,2,3;4,5,6]); abs((U*w).V'-[1,2,3;4,5,6])<1e-14
