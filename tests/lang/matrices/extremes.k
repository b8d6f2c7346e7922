// max and min of each row (a NaN start gives way to the next element),
// with two arguments element by element; totalmax, totalmin and extrema;
// running maxima and minima, which a NaN element does not disturb.
max([1, 5; 7, 2])
min([1, 5; 7, 2])
max([3, 1, 4, 1, 5])
[max([NAN, 2, 1]), max([2, NAN, 1]), max(NAN), min([NAN, NAN, 3])]
// The first of equal extremes stays: the sign of a zero shows it (atan2(z, 0)
// is pi for -0 and 0 for 0).
atan2([max([-0, 0]), max([0, -0]), min([0, -0]), max([-0, 0, 0, 0, 0, 0, 0]), max([-1, 0, -0, -0, -0, -0, 0])], 0)
max([~1,5~, ~2,3~])
min([~1,5~, ~2,3~])
max(zeros(2, 0))
max(1:1000001)
max([1, 2; 3, 4], [4, 3; 2, 1])
min([1, 5, 2], 3)
[totalmax([1, 5; 7, 2]), totalmin([1, 5; 7, 2]), totalmax([NAN, 2]), totalmax([2, NAN])]
totalmax(zeros(0, 0))
extrema([3, 1, 4, 1, 5])
extrema([1, 2; 9, -3])
extrema([NAN, 4, 2])
extrema(zeros(2, 0))
cummax([1, NAN, 0, 5])
cummin([3, 1, NAN, 2, 0])
cummax([NAN, 2, 1; 1, 3, 2])
cummax(zeros(2, 0))
max("a")
min(1+I)
totalmax(~1,2~)
totalmin("a")
extrema(1+I)
cummax(1+I)
cummin("a")
matlab
cummax([1, 5; 3, 4])
max([1, 5; 3, 4])
matlab
s = "a";
[errorlevel("max(s)"), errorlevel("min(I)"), errorlevel("totalmax(s)"), errorlevel("totalmin(s)"), errorlevel("extrema(s)"), errorlevel("cummax(s)"), errorlevel("cummin(s)")]
