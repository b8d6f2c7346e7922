// Refused arguments and sums that leave the accumulator's window.
accuload([1, 2; 3, 4])
accuload([1; 2])
accuload([1, 2], [1, 2, 3])
accuload([], [])
accuload("text")
accuload("a", "b")
accuload([1e308, 1e308])
accuload([1e300], [1e300])
accuload([2^-600], [2^-600])
// Bits below 2^-1024, infinities and NaN have no place in it.
accuload([5e-324])
big = 1e400; big
accuload([big])
accuload([big - big])
// After a failure in the middle the partial sum stays.
accuload([1, 2, big, 4])
accu()
