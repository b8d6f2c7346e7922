// Arguments the eigenvalue builtins refuse.
charpoly(2)
charpoly([1,2,3])
charpoly("a")
hb([1,2])
hb(3)
jacobi([1,2])
jacobi([1,I;-I,1])
jacobi([1,2;2,NAN])
jacobi(5)
svd(5)
svd([1,I])
svd([1,NAN;2,3])
svd("a")
jacobi([2,1;1,2])
// Not symmetric (beyond epsilon times the norm): the rotations would read
// one triangle and give the eigenvalues of another matrix.
jacobi([1,2;3,4])
jacobi(1e300*[1,2;2+1e-10,1])
jacobi([1,0,0;0,1,0;1e-3,0,1])
// Symmetric up to rounding passes.
jacobi(1e300*[1,2;2+1e-13,1])
B=[1,2,3;4,5,6;7,8,10]; e=jacobi(B'.B); size(e)
