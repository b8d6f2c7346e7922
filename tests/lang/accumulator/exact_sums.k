// Exact sums and dot products, rounded once when read back.
accuload([1e20, 1, -1e20])
1e20 + 1 - 1e20
accuload([1e10, 1, -1e10], [1e10, 1, 1e10])
accuadd([0.5, 0.25])
accuadd([1, 2], [3, 4])
accuload([])
accuload([0.1, 0.2, 0.3]) == 0.6
0.1 + 0.2 + 0.3 == 0.6
// 2^-53 is half a unit of 1: the tie goes to the even neighbour, a further
// tiny term decides it upwards.
accuload([1, 2^-53]) == 1
accuload([1, 2^-53, 2^-200]) == 1 + 2^-52
// The digits, highest first; each is exact and they add up to the content.
accuload([2^40, 2^-40]); accu()
accure()
accua()
accuload([-65537]); accu()
accuload([0]); accu()
accuim()
accub()
