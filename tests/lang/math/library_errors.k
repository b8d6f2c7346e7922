// Errors the math library reports (domain, overflow, underflow) set error
// 51 without a message of their own, unless errors are off.
x=1e400;
sin(x)
cos([1,x])
sin(x+1i)
2^1024
2^-1080
10^-400
(-2)^-2000
errors off
sin(x)
isNAN(cos([1,x]))
2^1024
errors on
underflows on
2^-1080
underflows off
