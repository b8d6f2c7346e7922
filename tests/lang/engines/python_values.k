// Values crossing to Python and back: pyset, pyget and the types Python sees.
// setting askexec 0
pyset("v", [1,2;3,4]); pyget("v")
py: v, type(v).__name__
pyset("z", 1+2i); pyget("z")
py: type(z).__name__
pyset("c", [1+1i, 2; 3, 4-2i]); pyget("c")
py: c
pyset("s", "text");
py: s.upper()
pyset("sv", ["a", "bc", ""]);
py: sv
pyget("sv")
pyset("e", []);
py: e
pyset("r", 2.5);
py: r * 2, type(r).__name__
// Back from Python: numbers, lists, nested lists, strings, tuples, None.
py: n = 3; t = True; big = 2**60
pyget("n"), pyget("t"), pyget("big")
py: row = [1, 2, 3]; col = [[1], [2]]; mixed = [[1, 2j], [3, 4]]
pyget("row")
pyget("col")
pyget("mixed")
py: words = ["one", "two"]; word = "drei"
pyget("words")
pyget("word")
py: pair = (1, "x")
{p1, p2} = pyget("pair"); p1, p2
py: nothing = None
pyget("nothing")
py: empty = []
pyget("empty")
// numpy arrays and scalars come back through tolist().
py: import numpy as np; a = np.array([[1.5, 2], [3, 4]]); s0 = np.float32(0.5)
pyget("a")
pyget("s0")
// What cannot cross is refused with the reason.
pyset("i", ~1,2~)
py: ragged = [[1, 2], [3]]; obj = object(); bad = [1, "x"]
pyget("ragged")
pyget("obj")
pyget("bad")
pyget("undefined")
pyget(1)
pyset(1, 2)
"next"
