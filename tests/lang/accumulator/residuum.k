// residuum(A, x, b): A.x - b with every entry exact before its one rounding.
A = [1, 1/2, 1/3; 1/2, 1/3, 1/4; 1/3, 1/4, 1/5];
x = [1; 1; 1];
b = A.x;
// Plain arithmetic rounds each product and sum; the exact residual shows
// what b's rounding lost.
A.x - b
r = residuum(A, x, b); r
// The same entry as an exact dot product.
accuload([A[1], -b[1]], [1, 1, 1, 1]) == r[1]
residuum(A, x, 0)
residuum([1, 2; 3, 4], [1; 1], [3; 7])
residuum([1+1i, 2], [1; 1i], 0)
residuum([~1,2~, 1], [1; 1], [~0,1~])
residuum([1, 2; 3, 4], [1; 1; 1], 0)
residuum([1, 2; 3, 4], [1; 1], [1, 2])
residuum("a", 1, 1)
