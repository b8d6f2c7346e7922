// C functions bound from libraries with dll; tccompile; callbacks from C.
// setting askexec 0
// runs in a temporary directory
dll("m", "f", 17)
dll("m", "f", -2)
dll(1, "f", 1)
dll("nolibrary", "f", 1)
// tinyc writes and compiles argcount.c; the same library binds a second way.
function tinyc argcount (x)
  newreal(np);
endfunction
argcount(5)
dll("argcount", "argcount", -1)
dll("argcount", "argcount", -1)
argcount(1, 2, 3)
// At most 32 arguments reach a C function.
argcount(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40)
dll("argcount", "nothere", 1)
dll("argcount", "argcount$", 1)
closedll("argcount")
argcount(5)
closedll("argcount")
closedll(1)
// tccompile compiles a C file written by hand into a library.
function tinyc helpers ()
  return 0;
endfunction
py: open("extra.c", "w").write('#include "dlldef.h"\nEXPORT char *half (header *hd[], int np, char *ramstart, char *ramend)\n{\n  double x;\n  start(ramstart, ramend);\n  getreal(hd[0], &x);\n  newreal(x / 2);\n  return newram;\n}\n') > 0
tccompile extra
dll("extra", "half", 1)
half(9)
tccompile extra
half(9)
dll("extra", "half", 1)
half(9)
// Results that are no records are refused.
py: open("wrong.c", "w").write('#include "dlldef.h"\nEXPORT char *wrong (header *hd[], int np, char *ramstart, char *ramend)\n{\n  return ramstart + 8;\n}\n') > 0
tccompile wrong
dll("wrong", "wrong", 0)
wrong()
// Callbacks: C calls user functions, builtins, "_" builtins, py$ functions.
function k(x) := x^2 + 1
function overwrite cos(x) := "user cos"
py: def pyhalf(x): return x / 2
function tinyc callk (x)
  header *first = (header *)newram;
  double v;
  getreal(hd[0], &v);
  newreal(v);
  if (!dllcall("k", first)) return dllerror("k failed");
  first = (header *)newram;
  newreal(0);
  if (!dllcall("_cos", first)) return dllerror("cos failed");
  first = (header *)newram;
  newreal(0);
  if (!dllcall("cos", first)) return dllerror("cos failed");
  first = (header *)newram;
  newreal(v);
  if (!dllcall("py$pyhalf", first)) return dllerror("pyhalf failed");
  dllprint("printed from C\n");
  dllprintf("%d and %s\n", 42, "more");
endfunction
{a, b, c, d} = callk(3); a, b, c, d
function tinyc callmissing ()
  header *first = (header *)newram;
  if (!dllcall("nothere", first)) return dllerror("the callback failed");
endfunction
callmissing()
"next"
