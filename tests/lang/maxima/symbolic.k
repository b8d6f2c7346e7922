// needs maxima
// setting askexec 0
// Symbolic expressions: Maxima's answer kept as a symbolic string that
// numerical code can evaluate.
y &= x^2+1
y(2)
issymbolic(y)
z &= sin(%pi*x/2);
z(1)
// "&" in an expression; "@:" evaluates the answer numerically.
a = &diff(x^4,x)
a(2)
@:integrate(x,x,0,2)
// A value of the interpreter goes to Maxima with "@".
c = 4; &@c*x
// "&&=" tells Maxima only; "::=" assigns and tells Maxima.
w &&= 7*t
&w
v ::= [1,2;3,4]
&v.v
mxm("::expand((p+q)^2)")
convertmxm([1,2;3,4])
convertmxm([1,2])
convertmxm(1+2i)
tex("x^2/2")
tex(&sqrt(x))
// A question of Maxima is answered, a refusal reported.
mxm("integrate(x^n,x)")
mxm("1/0")
mxm(1)
