sqrt(-4)
log(0)
asin(2)
exp(700)
exp(-700)
sqrt([4,-1,9])
errors off
isNAN(sqrt(-4))
isNAN(sqrt([4,-1,9]))
errors on
sqrt(-1)
underflows on
exp(-700)
underflows off
exp(-700)
complex: sqrt(-4)
complex: log(-1)
real(1+1e-15*I)
real(1+I)
