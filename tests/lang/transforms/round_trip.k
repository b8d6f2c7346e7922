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
// Columns and matrices: the conjugate of the transform with the positive
// sign, so real data get the negative sign (fft([1;2;3;4]) is the usual
// [10; -2+2i; -2; -2-2i]); a real column's transform is the conjugate of
// its row's, and ifft(fft(M)) is M for complex matrices.
fft([1;2;3;4])
abs(fft([1;2;3;4])-[10;-2+2i;-2;-2-2i])<1e-14
function columns()
  seed(5);
  r = [];
  for k = 1:16;
    v = normal(2^k, 1);
    r = r | max(abs(fft(v) - conj(fft(v')'))');
  end;
  return max(r) < 1e-9
endfunction
columns()
function complexmatrices()
  seed(6);
  r = [];
  for s = [1, 2, 3, 5, 8];
    M = normal(2^s, 2^(s-1)) + 1i*normal(2^s, 2^(s-1));
    r = r | max(max(abs(ifft(fft(M)) - M))');
  end;
  return max(r) < 1e-13
endfunction
complexmatrices()
