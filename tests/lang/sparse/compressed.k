// Building, reading and changing compressed matrices.
A=cpx([1,0;0,2])
cpxget(A)
cpxget(cpx([1e-13,1]))
decpx(cpx([1,1e-13;0,3]))
B=cpxzeros(2,3)
cpxzeros([1,4])
C=cpxset(cpxzeros(2,2),[3,3,5])
// A later value at the same place wins; 0 removes an entry; indices
// below 1 are skipped.
cpxset(C,[3,3,0;1,1,7;1,1,8;0,2,4])
cpxset(C,[0,1,1])
cpxget(cpxzeros(2,2))
