// Linear programs: maximise x1 + x2 under x1 + 2 x2 <= 4, 3 x1 + x2 <= 6.
A = [1, 2; 3, 1]; b = [4; 6]; c = [1, 1];
{x, code, active} = simplex(A, b, c, -1, 1, 1); x, code, active
c.x
// Minimising (the default) stays at the origin.
{x, code, active} = simplex(A, b, c); x, code, active
// Only a feasible point.
{x, code} = simplex(A, b, c, -1, 1, 0); code
// x1 >= 1 and x1 <= 0 has no feasible point.
{x, code} = simplex([1; 1], [1; 0], 1, [1; -1]); x, code
// Nothing bounds x1 from above.
{x, code} = simplex(0, 1, 1, -1, 1, 1); code
// A flag of length 1 makes every row an equality.
{x, code} = simplex([1, 1; 1, -1], [2; 0], [1, 1], 0); x, code
// Free and non-positive variables: min -x1 with x2 free,
// x1 - x2 <= 1, x1 + x2 <= 3.
{x, code} = simplex([1, -1; 1, 1], [1; 3], [-1, 0], -1, [1, 0]); x, code
// max x1 - x2 with x2 <= 0, x1 <= 2, x1 + x2 >= -1.
{x, code} = simplex([1, 0; 1, 1], [2; -1], [1, -1], [-1; 1], [1, -1], 1); x, code
// A diet: the cheapest mix of three foods that meets two needs.
{x, code} = simplex([2, 1, 3; 1, 2, 1], [8; 6], [3, 2, 4], 1); x, code
