// Joins promote the value a variable or an indexed part stands for; the
// variable itself keeps its kind.
iformat(0);
x=[1,2];
x|~1,2~
~1,2~_x
x
A=[1,2;3,4];
A[1,:]|~1,2~
A[:,2]_~5,6~
A[2,2]|1i
A
// A value passed through as it stands (a scalar transposed, a string joined
// with an empty matrix) does not take the variable's protection along.
n=5;
s="abc";
protect
m=n';
t=s|[];
listvar
