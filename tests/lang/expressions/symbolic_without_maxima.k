// Symbolic expressions need Maxima; without it they are refused clearly.
x=&a+b
1+$a
@:a
mxm(1)
2
