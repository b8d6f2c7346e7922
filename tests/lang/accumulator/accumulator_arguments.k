// Refused arguments of the exact accumulator: accuload, accuadd and
// residuum, each argument wrong in turn. Numeric arguments are first
// brought to one family; every argument is resolved before any is checked.
s = "a"; c = 1i; iv = ~1,2~; w = ["a", "b"];
accuload(s)
accuload(w)
accuload([1; 2])
accuadd(s)
accuadd([1, 2; 3, 4])
accuload(s, [1, 2])
accuload([1, 2], s)
accuload([1, 2], [1; 2])
accuload([1, 2], [1, 2, 3])
accuload(zeros(1, 0), zeros(1, 0))
accuload([1, 2] + c, [iv, iv])
accuadd(w, w)
accuload(s,,)
accuload(,[1, 2])
accuload([1, 2], [3, 4] + c), accu, accuim
accuload([1, 2], [iv, iv]), accu, accuim
residuum(s, [1; 2], [1; 2])
residuum([1, 2; 3, 4], s, [1; 2])
residuum([1, 2; 3, 4], [1; 2], s)
residuum([1, 2; 3, 4] + c, [1; 2], iv)
residuum([1, 2; 3, 4], [1, 2], [1; 2])
residuum([1, 2; 3, 4], [1; 2], [1, 2, 3])
residuum(s, , [1; 2])
residuum([1, 2; 3, 4], [1; 2] + c, 1)
residuum([1, 2; 3, 4], [1; 2], iv)
// inside a function
function r(a, x, b)
  return residuum(a, x, b)
endfunction
r([1, 2; 3, 4], [1; 2], s)
// sizes
n = 10^6; v = ones(1, n) / 3;
accuload(v), accuload(v, v)
