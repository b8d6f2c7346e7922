// plot records its polylines and answers with the range it used
clg; plot(1:10,[1,NAN,3:10])
plot()
fullplotarea()
setplot([0,1,0,1])
fullplotarea()
plot()
setplot([1,1,2,2]);
plot()
// a fixed range stays for later plots until scaling is on again
plot(1:3,1:3)
scaling(1)
plot(1:3,1:3)
margin(0.00005)
margin(5)
margin(0.1)
plot(0:1,0:1)
keepsquare(1); plot(0:4,[0,1,0,1,0])
keepsquare(0)
plotarea(-1:1,[-2,0,2])
plot(5:6,5:6)
scaling(1);
// infinite values are left out of the range like NaN; all infinite is like all NaN
plot(1:10,[1,2,3,1e400,5,6,7,8,9,10])
mark(1:4,[-1e400,2,3,4])
plot([-1e400,1e400],[1,2])
// all x NaN: nothing drawn, the range stays
plot([NAN,NAN],[1,2])
// sizes must fit
x=1:5; y=[1:5;2:6;3:7]; plot(x,y)
plot([1:5;1:5],y)
plot("a",1)
plot(1:2,"b")
plotarea("a",1)
plotarea(1:3,1:2)
plot([],[])
