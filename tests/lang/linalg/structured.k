// Bands, diagonals, replication and removal of elements.
A=[1,2,3;4,5,6;7,8,9];
band(A,-1,1)
band(A,0.5,2)
band([1,I;2,3],0,1)
getdiag([1,2,3,4;5,6,7,8],2)
getdiag([1,2,3,4;5,6,7,8],4)
getdiag([1,2,3,4;5,6,7,8],-1)
getdiag(A)
diag([1,2,3,4;5,6,7,8],1), diag(A)
dup([1,2],3)
dup([1;2],3)
dup(5,2)
dup([I,2],2)
dup(~1,2~,2)
drop([1,2,3,4],-1)
drop([1,2,3,4],[3,1,3])
drop([1,2,3,4],7)
drop([1,I,3],2)
// drop leaves its index vector alone.
i=[3,1]; drop([1,2,3,4],i), i
