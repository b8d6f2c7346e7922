// Gauss-Seidel sweeps; the loop around them is written in the language.
cpxseidel(cpx([2,0;0,4]),[2;2],[0;0],1)
cpxseidel(cpx([2,0;0,4]),[2;2],[1;1],0.5)
A=[4,1,0;1,4,1;0,1,4]; b=[1;2;3]; S=cpx(A);
x=[0;0;0]; for k=1 to 40; x=cpxseidel(S,b,x,1); end;
abs(x-A\b)<1e-14
x=[0;0;0]; for k=1 to 20; x=cpxseidel(S,b,x,1.1); end;
abs(x-A\b)<1e-14
cpxseidel(cpx([2,0;1,0]),[2;2],[0;0],1)
cpxseidel(cpx([2,0;0,4]),[2,2],[0;0],1)
cpxseidel(cpx(5),1,0,1)
