// find counts the elements <= x of a sorted vector; indexof finds the first
// equal element; indexofsorted and multofsorted search a sorted vector.
// Sorted means as sort leaves it: NaN after every number.
v = [1, 2, 2, 3];
find(v, [0, 1, 2, 2.5, 3, 4])
find(v', [0; 4])
find(v, [1, 2; 3, 4])
find([1, 2, NAN, NAN], [5, NAN, 0])
find(5, [4, 5, NAN])
find(zeros(1, 0), [1, 2])
find([1, 2; 3, 4], 2)
find(v, "a")
find("a", 1)
indexof([5, 3, 5], [5, 4])
indexof([1, NAN, 3, NAN], NAN)
indexof([5; 3], [3; 5])
indexof(mod(1:40, 7), -1:20)
indexof(zeros(1, 0), 1)
indexof([1, 2; 3, 4], 1)
indexof("a", 1)
indexof(v, "a")
[indexofsorted(v, 2), indexofsorted(v, 2.5), indexofsorted(v, 0), indexofsorted(v, 3), indexofsorted(v, 9)]
[indexofsorted([1, 2, NAN, NAN], 2), indexofsorted([1, 2, NAN], NAN), indexofsorted(v, NAN)]
[multofsorted(v, 2), multofsorted(v, 4), multofsorted(v, 1), multofsorted(v, NAN)]
[multofsorted([1, 2, 2, NAN, NAN], 2), multofsorted([1, 2, 2, NAN, NAN], NAN)]
[indexofsorted(zeros(1, 0), 1), multofsorted(zeros(1, 0), NAN)]
indexofsorted([1, 2; 3, 4], 1)
indexofsorted("a", 1)
indexofsorted(v, "a")
multofsorted([1, 2; 3, 4], 1)
multofsorted(v, "a")
// String vectors: strings in unsigned byte order, a prefix first.
w = ["a", "b", "b", "c"];
find(w, ["b", "z", "0", "c"])
[find(w, "b"), find(w, "bb"), find(w, "0"), find(w, "z")]
[indexof(w, "b"), indexof(w, "x")]
indexof(w, ["c", "x", "a"])
indexofsorted(w, "b")
indexofsorted(w, ["a", "bb", "c"])
multofsorted(w, ["b", "a", "x"])
find(w, 1)
indexof(w, 1)
indexofsorted(w, 1)
multofsorted(w, 1)
[stringcompare("ab", "ab"), stringcompare("abc", "ab"), stringcompare("B", "a"), stringcompare("", "a")]
stringcompare("a", 1)
s = "a";
[errorlevel("find([1,2;3,4],2)"), errorlevel("find(v,s)"), errorlevel("indexof(s,1)"), errorlevel("indexofsorted(v,s)"), errorlevel("multofsorted(w,1)"), errorlevel("stringcompare(s,1)")]
