format([10,5])
[1/3, 1e25]
goodformat(6);
[1/3, 1e25]
getformat()
fixedformat([10,5]);
zerorounding(1);
[-1e-20, 1]
zerorounding(0);
[-1e-20, 1]
fracformat([10,1e-10]);
[0.75, 2, -0.5]
0.75
