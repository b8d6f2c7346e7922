// The operator \ on real, complex and mixed systems.
[2,0;0,4]\[2;4]
[0,1;1,0]\[1;2]
[1,1000;0.5,0]\[1001;0.5]
[4,1;1,3]\[1,2;3,4]
2\[4,6]
// A real matrix with a complex right-hand side, and the reverse.
[2,0;0,2]\[I;2]
[2,I;1,1]\[2+I;2]
[2,I;1,1]\[3;2]
// Tiny entries but a regular matrix: solved.
0.001*[1,0,0,0,0;0,1,0,0,0;0,0,1,0,0;0,0,0,1,0;0,0,0,0,1]\[1;2;3;4;5]
// A variable keeps its value.
A=[3,1;1,2]; b=[9;8]; x=A\b; x, A, b
