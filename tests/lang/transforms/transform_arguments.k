// Refused arguments of the Fourier and Hartley transforms.
s = "a"; c = 1i; iv = ~1,2~; w = ["a", "b"];
fft(s)
fft(iv)
fft(w)
ifft(s)
ifft([iv, iv])
fht(s)
fht(1)
fht([1; 2])
fht([1, 2] + c)
fht(iv)
ifht(s)
ifht([1, 2; 3, 4])
fft(undefinedname)
// inside a function
function t(x)
  return fft(x)
endfunction
t(s)
// sizes
n = 2^20; v = 1:n;
size(fft(v)), size(ifft(v)), size(fht(v))
