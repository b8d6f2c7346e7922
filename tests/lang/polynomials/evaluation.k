// polyval: constant term first, the shape of x kept, the polynomial and x
// brought to one kind; intervals give enclosures of the range.
polyval([1,2,3],2)
polyval(5,[1,2,3])
polyval([1,2],[0,1;2,3])
polyval([1,0,1],[1i,2])
polyval([1i,1],2)
polyval([1,2],[])
// x^2 - 2x on [0,2] has the range [-1,0]; Horner's interval form is wider
polyval([0,-2,1],~0,2~)
// the exact value 1.23... at the double nearest 0.1 lies inside
polyval([1,2,3],~0.1~)
polyval(~1,2~,[0,1])
// refusals
polyval([1;2],1)
polyval([],1)
polyval("a",1)
polyval(~1,2~,1i)
