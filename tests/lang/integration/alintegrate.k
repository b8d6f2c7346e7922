// Adaptive integration of user functions over finite intervals.
function f(x) := x^2
abs(alintegrate("f", 0, 1) - 1/3) < 1e-14
function power(x, c) := x^c
abs(alintegrate("power", 0, 1, 2) - 1/3) < 1e-14
abs(alintegrate("power", 0, 2, 3) - 4) < 1e-13
// End-point singularities (x-a)^alpha and (b-x)^beta.
function rsqrt(x) := 1/sqrt(x)
abs(alsingular("rsqrt", 0, 1, -0.5, 0) - 2) < 1e-12
function arc(x, r) := 1/sqrt(r^2 - x^2)
abs(alsingular("arc", -1, 1, -0.5, -0.5, 1) - pi) < 1e-12
