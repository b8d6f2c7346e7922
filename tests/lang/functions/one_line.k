// One-line definitions: the body follows ":=" on the header line.
function f(x) := x^2
f(3)
function g(x) := return x+1 // adds one
g(1)
function answer() := 42
answer()
answer
function twice(x) := 2* ..
 x
twice(4)
// "=" is no one-line form (the Maxima forms: maxima/functions.k).
function s(x) = x^2
function t(x) :=
function x$(y) := y
