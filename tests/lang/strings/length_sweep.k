// The counting and indexing builtins on texts of 1 to 100000 characters of
// one, two, three and four bytes and mixed (code page 65001), inside a
// function and at the top level. Only the summary lines and failures print.
//
// Kinds: 1 ASCII, 2 two bytes, 3 three bytes, 4 four bytes, 5 mixed.
function codes(k, n)
  x = 1:n;
  bases = [65, 224, 19968, 128512];
  if k < 5 then return bases[k] + mod(x, 26); endif
  r = mod(x, 4);
  return (r == 0) * 65 + (r == 1) * 224 + (r == 2) * 19968 + (r == 3) * 128512 + mod(x, 26);
endfunction
// The number of failed checks for the text s of the codes c.
function failures(s, c)
  n = cols(c); m = ceil(n / 2); bad = 0;
  bad = bad + (strlen(s) != n);
  bad = bad + any(strtochar(s) != c);
  bad = bad + (strfind(s + "|", "|") != n + 1);
  bad = bad + (strfind(s, char(c[n]), -1) != n);
  bad = bad + (strfind(s, char(c[m]), m) != m);
  bad = bad + any(strtochar(substring(s, m, m)) != c[m]);
  bad = bad + (strlen(substring(s, 2, -1)) != n - 1);
  bad = bad + any(strtochar(substring(s, -1, -1)) != c[n]);
  bad = bad + (strxfind(s + "|", "\|") != n + 1);
  bad = bad + (strxfind(s, ".$") != n);
  bad = bad + (strlen(toupper(s)) != n) + (strlen(tolower(s)) != n);
  bad = bad + (strlen(printstr(s, n + 3)) != max(n, min(n + 3, 16384)));
  bad = bad + (strlen(printf("%.5s", s)) != min(5, n));
  bad = bad + (strlen(strrepl(s, char(c[1]), "")) != n - sum(c == c[1]));
  t = strtokens(s + "|" + s, "|");
  bad = bad + (cols(size(t)) != 2) + (strlen(t[2]) != n);
  bad = bad + (strlen(strxrepl(s, ".", "ab")) != 2 * n);
  return bad;
endfunction
function sweep(sizes)
  total = 0;
  for k = 1 to 5
    for n = sizes
      c = codes(k, n); s = chartostr(c);
      f = failures(s, c);
      if f then "kind " | printf("%g", k) | ", " | printf("%g", n) | " characters: " | printf("%g", f) | " failed", endif
      total = total + f;
    end
  end
  return total;
endfunction
sweep([1, 2, 3, 10, 100, 1000, 10000, 100000])
// At the top level.
c = codes(5, 99999); s = chartostr(c);
[strlen(s), strfind(s, char(c[99999]), -1), strxfind(s, ".$"), strlen(substring(s, 50000, 50009))]
