// fft and ifft: rows of any length, matrices of powers of two.
fft([1,0,0,0])
fft([0,1,0,0])
ifft([1,I,-1,-I])
fft([1,2,3])
fft([1+I,2,3-2I])
fft(2+3I)
fft(5)
fft(1:0)
fft([1,2;3,4])
fft([I;0])
ifft(fft([I;0]))
fft([1;2;3;4])
M=[1,2,3,4;5,6,7,8]; abs(ifft(fft(M))-M)<1e-15
fft([0,0;0,1;0,0;0,0])
// Arguments that are variables, views and temporaries.
x=[0,1,0,0,5]; fft(x[1:4]), fft(x), x
