[1,2,3]
denseoutput(0);
[1,2,3]
denseoutput(1);
[0.5,-1e-7]
[]
