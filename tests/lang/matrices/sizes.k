// cols, rows and size: every kind of value has its size; size gives the
// shape to which all its arguments broadcast.
s = "abc"; v = ["a","b","c"];
[cols(s), rows(s), cols(v), rows(v)]
[cols(1:5), rows(1:5), cols((1:5)'), rows((1:5)'), cols(7), rows(~1,2~)]
[cols(zeros(2,0)), rows(zeros(2,0))]
size(v)
size(s, 1:3)
size(1:3, [1;2])
size(1:3, 5)
size(zeros(0,4), [1;2])
A = zeros(3,4);
size(A)
size(A[2:3], A[1,:])
size(1:3, 1:4)
size()
size(1:3, v)
[errorlevel("size(1:3,1:4)"), errorlevel("size()")]
