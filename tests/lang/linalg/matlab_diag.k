// In matlab mode a diagonal comes out as a column.
matlab
diag([1,2;3,4])
getdiag([1,2,3;4,5,6],1)
