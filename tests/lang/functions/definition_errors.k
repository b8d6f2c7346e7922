// Definitions that are refused, with the reason.
function f(a, [b, c)
function f(a] )
function f([a, b=1])
function f([a: real, b])
function f(a, b c)
function f(a; b) := a
function map f(a; b; c) := a
function f(a: integer colour) := a
function f a := 1
function = 3
function sin(x) := x
function operator prefix f(x, y) := x
function operator postfix f(x, y) := x
function operator f(x) := x
function postfix f(x, y) := x
function prefix f(x, y) := x
function python f(x)
  return x
endfunction
"the lines after a refused definition do not run"
function long(x) := x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x
function empty() := // nothing
function f(a, ...) := argn()
f(1, 2, 3)
function f(a,
  b) := a+b
f(1, 2)
// An unclosed string in a one-line body is shown on the input line.
function g(a) := "abc
function g(a) := ''abc
