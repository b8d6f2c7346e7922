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
// Removing reports a file that cannot be removed.
fileremove("a.txt") == ""
fileexists("a.txt")
fileremove("a.txt")
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
