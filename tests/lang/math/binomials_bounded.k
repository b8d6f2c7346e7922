// Binomials with far arguments finish: a zero factor gives 0, long
// products come from log-gamma.
bin(10,1e17)
logbin(10,1e17)
logbin(1e10,5e9)
bin(-0.5,1e9)
bin(-0.5,10000)
bin(-3,20001)
bin(1000,500)
bin(1100,500)
// The step-by-step results stay as they were.
bin(5,2)
bin(10.5,3)
logbin(5,2)
logbin(20,10)
