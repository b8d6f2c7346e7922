// Python files: load runs a ".py" file, pyload returns its text; Python
// definitions inside program files.
// setting askexec 0
load files/squares.py
py$square(9)
load files/squares.py;
pyload("files/squares.py")
load files/broken.py
pyload("files/missing.py")
pyload(1)
load files/pydefs.k
cube(2)
py: cubes
load files/unfinished.k
unfinished(1)
"next"
