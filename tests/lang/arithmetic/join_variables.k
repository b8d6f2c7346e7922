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
