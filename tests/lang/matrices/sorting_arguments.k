// Refused arguments of sort, lexsort and unique: a wrong kind first, then
// a wrong shape or an empty value.
sort(1i)
sort(~1,2~)
sort(none)
sort([1, 2; 3, 4])
sort(zeros(1, 0))
sort("b")
sort(,)
lexsort("a")
lexsort([1i, 2])
lexsort(zeros(0, 2))
lexsort(,)
unique("a")
unique(~1,2~)
unique([1; 2])
unique([1, 2; 3, 4])
unique(zeros(0, 0))
unique(zeros(1, 0))
unique(,)
sort()
// inside a function
function s(x)
  return sort(x)
endfunction
s([1, 2; 3, 4])
s(["b", "a"])
// sizes
n = 10^6; v = n:-1:1;
{x, i} = sort(v); {u, j} = unique(v); {l, k} = lexsort(v');
[x[1], x[n], i[1], cols(u), u[n], rows(l), k[1]]
