// At the top level cls=5 runs cls and then wants a semicolon.
cls=5
zerobase q, 
zerobase nothing;
q=[1,2]; zerobase q 5
useglobal x
// clg clears the graphics and then wants a semicolon like cls.
clg 5
clg; clg
clg
