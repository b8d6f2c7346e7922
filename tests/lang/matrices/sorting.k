// sort, lexsort and unique give the values and the positions they had.
// NaN comes after every number; equal values keep their order.
{s, i} = sort([3, 1, 2]); s, i
{s, i} = sort([3; 1; 2]); s, i
{s, i} = sort([2, NAN, 1]); s, i
{s, i} = sort([2, 1, 2, NAN, 1, NAN, -1e300, 1e300, -0, 0]); s, i
{s, i} = sort(5); s, i
x = 10000:-1:1; {s, i} = sort(x); [s[1], s[10000], i[1], i[10000], all(s == 1:10000)]
{s, i} = sort(["b", "a", "B", "ab", "abc", ""]); s, i
sort("text")
sort(zeros(1, 0))
sort([1, 2; 3, 4])
sort([])
sort(I)
{B, r} = lexsort([2, 1; 1, 5; 1, 3]); B, r
{B, r} = lexsort([1, NAN; 1, 2; 0, 9]); B, r
{B, r} = lexsort(7); B, r
lexsort(zeros(0, 2))
lexsort("a")
{u, p} = unique([3, 1, 3, 2]); u, p
{u, p} = unique([NAN, NAN, 1]); u, p
{u, p} = unique(4); u, p
{u, p} = unique(zeros(0, 0)); u, p
{u, p} = unique(zeros(1, 0)); u, p
unique([1; 2])
unique(zeros(0, 3))
unique("a")
s = "a";
[errorlevel("sort(I)"), errorlevel("sort([1,2;3,4])"), errorlevel("sort(zeros(1,0))"), errorlevel("lexsort(s)"), errorlevel("lexsort(zeros(0,2))"), errorlevel("unique(s)"), errorlevel("unique([1;2])")]
