// Assigning through submatrix views: element kinds, shapes and refusals.
A=[1,2;3,4];
A[3,3]=1
A[1,5]=1
A[0,1]=1
A[1,1]=1i;
A
A[2,2]=5;
A
A[1,2]=~1,2~
B=[1,2;3,4];
B[2,:]=~1,2~;
left(B), right(B)
B[1,1]=7;
left(B[1,1])
B[1,1]=1i
B[1,1]="s"
C=[1,2,3];
C[2]="s"
C[2]={1,2}
C[[1,3]]=[7,9]
C[:]=0
C[2:3]=[1;2]
D=1:3;
D[-1]=30
