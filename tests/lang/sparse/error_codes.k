// The error codes of the compressed-matrix messages.
errorlevel("cpx(I)")
errorlevel("cpxset(cpx([1,2]),[3e9,1,1])")
errorlevel("cpxmult(cpx([1,2,3;4,5,6]),[1,2;3,4])")
errorlevel("cpxget(5)")
errorlevel("cpxseidel(cpx([2,0;1,0]),[2;2],[0;0],1)")
