// Refused calls and failing integrands.
function f(x) := x^2
alintegrate("f", 0)
alintegrate("sin", 0, 1)
alintegrate(1, 0, 1)
alintegrate("f", 0, "b")
alsingular("f", 0, 1, -0.5)
alsingular("f", 0, 1, -0.5, "beta")
big = 1e400;
alintegrate("f", 0, big)
alsingular("f", 0, 1, -2, 0)
function twice(x) := [x, x]
alintegrate("twice", 0, 1)
function fails(x) := x + undefined
alintegrate("fails", 0, 1)
abs(alintegrate("f", 0, 3) - 9) < 1e-13
