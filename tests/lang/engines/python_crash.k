// A fault inside Python is reported and switches Python off for the run;
// Kalix goes on.
// setting askexec 0
py: import ctypes
py: x = 1
py: ctypes.string_at(0)
"Kalix goes on"
py: x
pyget("x")
pycall("f")
