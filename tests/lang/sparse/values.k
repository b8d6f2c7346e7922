// A compressed matrix is a value like any other: it is assigned, copied,
// passed to functions, described and cleared.
function twice(M)
  return cpxmult(M, [2,0;0,2])
endfunction
function kindof(M)
  return printtype(M)
endfunction
A=cpx([1,0;0,3]); B=A; A=cpxset(A,[1,1,5]);
B
twice(B)
kindof(A)
typeof(A)
printtype(B)
clear A;
B
A
