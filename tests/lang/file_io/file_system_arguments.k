// runs in a temporary directory
// Refused arguments of the file and directory builtins.
s = "a"; c = 1i; w = ["a", "b"];
filecopy(1, "b")
filecopy("a", 1)
filecopy(w, "b")
filecopy(1,,)
filecopy(,1)
fileexists(1)
fileexists(w)
fileremove(1)
fileremove(c)
makedir(1)
makedir(w)
changedir(1)
changedir(1, 2)
changedir(w, "x")
dir(1)
dir(w)
searchfile(1)
searchfile(w)
// inside a function
function h(name)
  return fileexists(name)
endfunction
h(1)
h("nothing-here")
// good ones
makedir("sub"), fileexists("sub"), filecopy("sub", "sub2");
