// With output off results are hidden, but a failing statement still shows
// its message (printed before the error is set) and the error position.
output off
1+1
nosuch
[1,2]+[1,2,3]
y=1; y(1)
output on
3
