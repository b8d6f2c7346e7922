// With "matlab on" the operators between matrices call the start-up
// library's fit, divideinto and matrixpower.
matlab on
A=[4,-2,1;-2,4,-2;1,-2,4]; A\[11;-16;17]
B=[1,2;3,4]; C=[5,6;7,8];
X=B/C
X.C
A^3
A^3==A.A.A
A^0
round(A^-2 . A.A, 10)
[1,2;3,4;5,6]\[1;2;3]
B*C
B^1.5
[1,2,3]^2
2^B
matlab off
B^2
B/C
help fit
help divideinto
help matrixpower
