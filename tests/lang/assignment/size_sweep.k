// timeout 600
// Variables of every size and kind: copies, assignments, indexed
// assignments, growth, removal, calls, globals, braces, evaluate, multiple
// assignment, "%" and reference parameters, at the top level and inside
// functions. Where the C library puts a variable's heap block depends on its
// size and the allocator's settings: tests/CMakeLists.txt runs this file
// under several. Nothing but the summary lines is printed when all is well.
//
// Kinds: 1 real, 2 complex, 3 interval, 4 string, 5 string vector.
function make(k, n)
  x = 1:n;
  if k == 1 then return x; endif
  if k == 2 then return x + 3i * x; endif
  if k == 3 then return interval(x, 2 * x); endif
  if k == 4 then return chartostr(65 + mod(x, 26)); endif
  return strtokens(chartostr(32 + (65 + mod(1:2*n, 26)) * mod(1:2*n, 2)));
endfunction
// One element of the kind, as assigned into a value.
function element(k)
  if k == 1 then return -7; endif
  if k == 2 then return -7 + 2i; endif
  if k == 3 then return ~-7, -5~; endif
  if k == 4 then return "xy"; endif
  return "zz";
endfunction
// A number that changes with every element.
function sig(x)
  t = typeof(x);
  if t == 8 then return sum(strtochar(x)) + 1000 * strlen(x); endif
  if t == 13 then
    z = size(x); n = z[2];
    return 1000 * n + sum(strtochar(x[1])) + 7 * sum(strtochar(x[n]));
  endif
  if iscomplex(x) then return sum(re(x)) + 3 * sum(im(x)); endif
  if isinterval(x) then return sum(left(x)) + 5 * sum(right(x)); endif
  return sum(x);
endfunction
function same(x, s, z)
  return sig(x) == s && all(size(x) == z);
endfunction
function check(c, what, k, n)
  if !c then
    names = ["real", "complex", "interval", "string", "string vector"];
    names[k] | " " | printf("%g", n) | ": " | what | " failed",
  endif
endfunction
// Element counts from 1 to `limit` around every power of two and where a
// record, or the global store's block for it (5/4 of it and 16 bytes),
// crosses an allocator threshold (4 KiB, 128 KiB, 32 MiB, 64 MiB), for
// `bytes` per element.
function sizes(bytes, limit)
  s = [8000, 13518, 13519];
  for k = 0 to 23; p = 2^k; s = s | [p - 1, p, p + 1]; end;
  for t = [4096, 131072, 33554432, 67108864]
    m = floor((t - 64) / bytes); s = s | [m - 1, m, m + 1];
    m = floor(((t - 16) * 4 / 5 - 64) / bytes); s = s | [m - 1, m, m + 1];
  end;
  s = unique(s);
  return s[nonzeros(s >= 1 && s <= limit)];
endfunction
function elementBytes(k)
  return [8, 16, 16, 1, 2][k];
endfunction

// Calls and globals used by the sweep.
function copied(x)
  y = x;
  return y
endfunction
function returned(x)
  return x
endfunction
function two(x)
  return {x, x}
endfunction
function readGlobal()
  global A;
  return A
endfunction
function copyGlobal()
  global A;
  H = A;
  return H
endfunction
function setGlobal(x)
  global G;
  G = x;
endfunction
function setGlobalElement(e)
  global G;
  G[1] = e;
endfunction
function setFirst(%x, e)
  %x[1] = e;
endfunction

// The same operations on local variables of a function.
function inside(k, n)
  A = make(k, n); s = sig(A); z = size(A); e = element(k);
  B = A; check(same(B, s, z), "local copy", k, n);
  B = make(k, n); check(same(B, s, z), "local assignment", k, n);
  check(same(copied(A), s, z) && same(returned(A), s, z), "local argument", k, n);
  c = {{A}}; check(same(c[1], s, z), "local braces", k, n);
  check(same(evaluate("A"), s, z), "local evaluate", k, n);
  {P, Q} = {A, A}; check(same(P, s, z) && same(Q, s, z), "local multiple assignment", k, n);
  if k != 4 then
    B[1] = e; check(sig(B[1]) == sig(e) && same(A, s, z), "local element", k, n);
    B = A; setFirst(B, e); check(sig(B[1]) == sig(e) && same(A, s, z), "local reference", k, n);
  endif
  if k <= 3 then
    m = min(n, 3); B[n - m + 1:n] = e;
    check(sig(B[n]) == sig(e) && all(size(B) == z), "local range", k, n);
    B = B | e; check(cols(B) == n + 1 && sig(B[n + 1]) == sig(e), "local growth", k, n);
  endif
endfunction

// Every kind at every size up to 2 MiB of data at the top level, then
// inside a function.
G = 0;
for k = 1 to 5; e = element(k); sweep = sizes(elementBytes(k), 2^21 / elementBytes(k) + 1); ...
  for n = sweep; ...
    A = make(k, n); s = sig(A); z = size(A); ...
    B = A; check(same(B, s, z), "copy", k, n); ...
    B = make(k, n); check(same(B, s, z), "assignment", k, n); ...
    check(same(copied(A), s, z) && same(returned(A), s, z), "argument", k, n); ...
    check(same(readGlobal(), s, z) && same(copyGlobal(), s, z), "global read", k, n); ...
    setGlobal(A); check(same(G, s, z), "global written", k, n); ...
    c = {{A}}; check(same(c[1], s, z), "braces", k, n); ...
    d = {{x = {{A}}}}; dd = d[1]; check(same(dd[1], s, z), "nested braces", k, n); ...
    check(same(evaluate("A"), s, z), "evaluate", k, n); ...
    {P, Q} = {A, A}; check(same(P, s, z) && same(Q, s, z), "multiple assignment", k, n); ...
    {P, Q} = two(A); check(same(P, s, z) && same(Q, s, z), "multiple results", k, n); ...
    %= A; check(same(%, s, z), "%=", k, n); ...
    if k != 4 then ...
      B[1] = e; check(sig(B[1]) == sig(e) && same(A, s, z), "element", k, n); ...
      B = A; setFirst(B, e); check(sig(B[1]) == sig(e) && same(A, s, z), "reference", k, n); ...
      setGlobalElement(e); check(sig(G[1]) == sig(e) && same(A, s, z), "global element", k, n); ...
    endif; ...
    if k <= 3 then ...
      m = min(n, 3); B[n - m + 1:n] = e; ...
      check(sig(B[n]) == sig(e) && all(size(B) == z), "range", k, n); ...
      B = B | e; check(cols(B) == n + 1 && sig(B[n + 1]) == sig(e), "growth", k, n); ...
    endif; ...
    clear B; check(!isvar("B"), "removal", k, n); ...
    inside(k, n); ...
  end; ...
  ["real", "complex", "interval", "string", "string vector"][k] | ": " | printf("%g", cols(sweep)) | " sizes up to " | printf("%g", max(sweep)), ...
end;

// Large numbers: where a record or its block crosses 32 MiB or 64 MiB, and
// 10^7 reals.
function largeSizes(bytes)
  s = [];
  for t = [33554432, 67108864]
    m = floor(((t - 16) * 4 / 5 - 64) / bytes); s = s | [m, m + 1, floor((t - 64) / bytes) + 1];
  end;
  return s;
endfunction
for k = 1 to 3; e = element(k); sweep = largeSizes(elementBytes(k)); ...
  if k == 1 then sweep = sweep | 10^7; endif; ...
  for n = sweep; ...
    A = make(k, n); s = sig(A); z = size(A); ...
    B = A; check(same(B, s, z), "copy", k, n); ...
    check(same(evaluate("A"), s, z) && same(copyGlobal(), s, z), "read", k, n); ...
    setGlobal(A); check(same(G, s, z), "global written", k, n); ...
    B[n] = e; check(sig(B[n]) == sig(e) && same(A, s, z), "element", k, n); ...
    B = A; setFirst(B, e); check(sig(B[1]) == sig(e) && same(A, s, z), "reference", k, n); ...
    clear B; G = 0; ...
  end; ...
  ["real", "complex", "interval"][k] | ": " | printf("%g", cols(sweep)) | " large sizes", ...
end;

// Square matrices of the sizes users meet first.
function total(x)
  return sum(sum(x)')
endfunction
for m = [100, 117, 120, 150, 200, 300, 500, 700]; ...
  A = zeros(m, m); B = A; A[1, 1] = 5; A[m, m] = 6; ...
  check(all(size(B) == [m, m]) && total(B) == 0 && total(A) == 11, "square", 1, m); ...
  A = A + 1i; B = A; B[m, 1] = 2; check(im(B[m, 1]) == 0 && total(im(A)) == m * m, "square", 2, m); ...
end; "squares done"
