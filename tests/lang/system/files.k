// Files and directories, in a directory of the test's own home.
source = home() | "files/lines.txt";
changedir(userhome());
makedir("work")
makedir("work")
changedir("work");
fileexists("nope")
fileexists(source)
filecopy(source, "b.txt")
filecopy(source, "a.txt");
filecopy(source, "a b.txt");
makedir("sub")
filecopy(source, "sub/c.txt");
// dir lists in byte order, directories with "/", never "." and "..".
dir("*")
dir("*.txt")
dir("?.txt")
dir("sub/*")
dir("nothing*")
dir("[ab].txt")
// searchfile walks one search; its end and no match give "".
searchfile("*.txt")
searchfile()
searchfile()
searchfile() == ""
searchfile() == ""
searchfile("none*") == ""
// Removing a missing file is no error, at the top and inside a function
// (removing an output file before it is written); a file that exists
// and cannot be removed is reported.
fileremove("a.txt") == ""
fileexists("a.txt")
fileremove("a.txt"); "goes on"
fileremove("a.txt") == ""
fileremove("sub/none/x.txt") == ""
function fresh(name)
  fileremove(name);
  open(name, "w"); write("new"); close();
  return fileexists(name)
endfunction
fresh("e.txt"), fresh("e.txt")
fileremove("e.txt");
fileremove("sub")
// Copies that fail are reported; a file is not copied onto itself.
filecopy("missing.txt", "d.txt")
filecopy("b.txt", "b.txt")
filecopy("b.txt", "sub")
dir("*")
// changedir without an argument leaves the directory as it is.
here = changedir();
changedir("sub");
dir("../*.txt")
changedir("no such directory") == changedir()
changedir("..");
changedir() == here
// Arguments of the wrong kind.
fileexists(1)
fileremove(1)
filecopy("a", 2)
makedir(1)
changedir(1)
dir(1)
searchfile(1)
