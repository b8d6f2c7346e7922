// ifft(fft(x)) gives x back to rounding for lengths of every kind.
function maxdiff(a, b, n)
  m = 0;
  for k = 1 to n; d = abs(a[k] - b[k]); if d > m then m = d; endif; end;
  return m
endfunction
for n = [1, 2, 6, 7, 12, 1000, 65536]; x = sin(1:n) + I*cos(1:n); maxdiff(ifft(fft(x)), x, n) < 1e-12, end;
for n = [2, 6, 7, 12, 1000]; x = 1:n; maxdiff(ifht(fht(x)), x, n) < 1e-9, end;
// fft of a real row equals fft of the same row as complex numbers.
x = sin(1:999); maxdiff(fft(x), fft(x + 0*I), 999) < 1e-10
fht([1,2,3,4])
ifht([10,-4,-2,0])
