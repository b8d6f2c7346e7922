// Refused arguments of the search builtins, each argument in turn. Both
// arguments are resolved before either is checked: an empty argument (a
// name that cannot be resolved; "f(a,,)" for the last one) is reported
// even after a wrong one.
w = ["a", "b"];
find(1i, 1)
find(1, 1i)
find(~1,2~, 1)
find([1, 2], ~1,2~)
find([1; 2], [1, 2])
find(w, [1, 2])
find(w, 1i)
find("a", "b")
find("a",,)
find(,1)
indexof(1i, 1)
indexof([1, 2], 1i)
indexof([1, 2; 3, 4], "a")
indexof(w, 1i)
indexof("a", "b")
indexof("a",,)
indexof(,w)
indexofsorted(1i, 1)
indexofsorted([1, 2], 1i)
indexofsorted([1; 2], 1)
indexofsorted(w, 1i)
indexofsorted("a",,)
multofsorted(1i, 1)
multofsorted([1, 2], "a")
multofsorted([1, 2; 3, 4], 1)
multofsorted(w, [1, 2])
multofsorted(1i,,)
stringcompare(1, "a")
stringcompare(w, "a")
stringcompare("a", w)
stringcompare(1,,)
stringcompare(,1)
// inside a function
function search(v, x)
  return indexof(v, x)
endfunction
search([1, 2; 3, 4], 1)
search(w, "b")
// sizes: long arguments are read as they are
n = 10^6; v = 1:n;
[find(v, n/2 + 0.5), indexof(v, n), indexofsorted(v, 1), multofsorted(v, n), size(find(v, v))]
