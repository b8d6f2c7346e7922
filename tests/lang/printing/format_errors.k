format([1,5])
goodformat("x")
userformat("myformat");
1/3
1+2*I
goodformat(6);
1/3
