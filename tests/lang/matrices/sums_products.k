// Reductions by rows: sum and prod give one value a row (a 1 x 1 result
// is a scalar), colsum one a column; cumsum and cumprod run along each row.
// Sums add from the first element to the last.
sum([1, 2; 3, 4])
sum([1, 2, 3])
sum(5)
sum([1, 2; 3, 4] * I)
sum([~1,2~, ~3,4~])
size(sum(zeros(2, 0)))
sum(zeros(2, 0))
colsum([1, 2; 3, 4])
colsum([1, 2; 3, 4] + I)
colsum([~1,2~; ~3,4~])
colsum(zeros(0, 3))
prod([1, 2; 3, 4])
prod([1+I, 1+I; 2, 3])
prod([~1,2~, ~-1,3~])
prod(zeros(2, 0))
cumsum([1, 2, 3])
cumsum([1, 2; 3, 4])
cumsum([1+I, 2, -I])
cumsum(5)
cumsum(zeros(2, 0))
cumprod([1, 2, 3])
cumprod([I, I, I])
cumprod([~1,2~, ~3,4~])
cumprod(zeros(2, 0))
[sum(0.1 * ones(1, 10)) == 0.1+0.1+0.1+0.1+0.1+0.1+0.1+0.1+0.1+0.1, sum(0.1 * ones(1, 10)) < 1]
sum("a")
colsum("a")
prod("a")
cumsum(~1,2~)
cumprod("a")
// In matlab mode these work by columns.
matlab
sum([1, 2; 3, 4])
colsum([1, 2; 3, 4])
prod([1, 2; 3, 4])
cumsum([1, 2; 3, 4])
cumprod([1, 2; 3, 4])
matlab
s = "a";
[errorlevel("sum(s)"), errorlevel("colsum(s)"), errorlevel("prod(s)"), errorlevel("cumsum(~1,2~)"), errorlevel("cumprod(s)")]
