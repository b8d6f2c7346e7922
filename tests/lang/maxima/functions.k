// needs maxima
// setting askexec 0
// Functions defined from symbolic results.
function f(x) &= diff(x^3,x)
f(2)
f
function g(x) ::= x^2+1
g(3)
:: g(a)
function h(x) &&= x^3;
:: h(2)
function operator plus(a,b) &= a+b;
:: 1 plus 2
// Maxima's answers and values stored into a body at definition.
k = 3;
function m(x)
  return @k*x + @:diff(x^2,x)
endfunction
m(2)
function n()
  return "@:expand((1+s)^2)"
endfunction
n()
function e(x) &= ;
