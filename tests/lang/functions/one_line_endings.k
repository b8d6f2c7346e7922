// A comment or a continuation that reaches the end of a one-line body ends
// the definition.
function t1():=1/*
t1()
function t2():=2 ..
// a comment line
t2()
matlab
function o:=1%
o()
matlab
// ".." continues the body with the next line as in multi-line bodies;
// "..." too, and text after ".." is a comment.
function n2(x) := x + ...
1
n2(0)
function n3(x) := x + .. one more
2
n3(0)
function n4() := "a..b"
n4()
// A continuation that runs into the end of a loaded file.
load files/one_line_at_end.kx
t3()
