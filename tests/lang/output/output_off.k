// With output off results are hidden, but a failing statement still shows
// its messages, in their order, and the error position (a message is
// printed before its error is set).
output off
1+1
nosuch
[1,2]+[1,2,3]
sqrt(-1)
y=1; y(1)
output on
3
