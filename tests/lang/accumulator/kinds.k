// Complex and interval accumulators, and real values added to them.
accuload([1+2i, 3-1i])
accuim()
accuadd([2, 3])
accuim()
accuload([1+2i], [3+4i])
accuadd([1i], [1i])
accuload([~1,2~, ~3,4~])
accuadd([1, 1])
accuadd([~0,1~], [~2,3~])
accuload([~-1,2~], [~-3,4~])
accuload([~-2,1~], [~-3,4~])
accuload([1, 2], [~1,2~, 1])
// An interval result encloses the exact sum: the bounds are rounded
// outward, never to nearest.
x = accuload([~0.1,0.1~, ~0.2,0.2~]); left(x) < 0.1 + 0.2, right(x) >= 0.1 + 0.2
accuload([1]); accuadd([1+1i])
accuload([~1,2~]); accuadd([1+1i])
accuload([1i]); accuadd([~1,2~])
