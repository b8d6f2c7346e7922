// Zero tests: NaN counts as nonzero, a complex number is zero only when
// both parts are. count puts the elements into unit bins [k, k+1).
[all([1+I, 2]), all(1+0i), all(0+1i), all([1+0i, 0]), all(zeros(1, 0))]
[any([0, 0]), any([0, NAN]), any(0+1i), any(zeros(1, 0)), all([1, NAN])]
all(~1,2~)
any("a")
nonzeros([0, 3, 0, NAN])
nonzeros([0; 1; 2])
nonzeros(zeros(1, 3))
nonzeros(5)
nonzeros([1, 2; 3, 4])
nonzeros(I)
mnonzeros([0, 1; 2, 0])
mnonzeros([1+0i, 0; 0, 0+1i])
mnonzeros([NAN, 0, 0])
mnonzeros(zeros(2, 2))
mnonzeros(5)
firstnonzero([0, 0, 3; 0, 0, 0; 1, 0, 0])
lastnonzero([0, 2, 3, 0])
[firstnonzero(0), lastnonzero(NAN)]
firstnonzero(zeros(2, 0))
firstnonzero(I)
lastnonzero("a")
count([0.5, 1.5, 1.7, 3, -1], 3)
count([0; 0.99; 2.5; NAN; 1e300], 3)
count([1, 2], 1)
count([1, 2], 2.5)
count(5, 3)
count([1, 2; 3, 4], 3)
count(1:3, [2, 3])
count(1:3, 1e10)
count(1:3, 2000000000)
s = "a";
[errorlevel("all(s)"), errorlevel("any(s)"), errorlevel("nonzeros(s)"), errorlevel("mnonzeros(5)"), errorlevel("firstnonzero(s)"), errorlevel("lastnonzero(s)"), errorlevel("count(5,3)")]
