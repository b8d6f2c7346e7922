// zeros, ones and linspace: sizes as n, as n, m and as [n, m]; sizes are
// whole numbers, checked before anything is made.
zeros(2,3)
ones(2)
ones([2,3])
zeros(0)
size(zeros(3,0))
x = linspace(0,1,4)
x[5] == 1
linspace(-1,1,1)
linspace(0,1,0)
magic(4)
M = magic(6); d = (1:6)';
[sum(M)', colsum(M), sum(mget(M, d | d)), sum(mget(M, d | 7 - d))]
linspace(0,1,3.5)
linspace(0,1,NAN)
linspace("a",1,2)
zeros(-1)
zeros(2.5)
ones(2,0.5)
zeros([2,3,4])
zeros("2")
zeros(100000,100000)
linspace(0,1,1e12)
s = "a";
[errorlevel("linspace(0,1,0)"), errorlevel("linspace(s,1,2)"), errorlevel("zeros(-1)"), errorlevel("zeros(100000,100000)")]
"still running"
