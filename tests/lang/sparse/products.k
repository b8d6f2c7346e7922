// Products and transposes of compressed matrices.
A=cpx([1,2,0;0,0,3]);
cpxmult(A,[1;2;3])
cpxmult(A,[1,0;0,1;1,1])
cpxmult(A,cpx([1,0,0,1;0,1,0,0;0,0,1,1]))
cpxmult(cpx([1,1;1,1]),cpx([1,-1;-1,1]))
cpxtranspose(A)
A'
decpx(A')
v=[1;2;3]; cpxmult(A,v), v, A
