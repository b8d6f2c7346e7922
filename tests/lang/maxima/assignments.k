// needs maxima
// setting askexec 0
// The assignments that reach Maxima.
y::=3
y
:: y
z&:=0.5
:: z
q:&=[1,2]
:: q
v&=a+b
v
v&&=a+b
x &= 1
x
{r,s} &= 1
