// runs in a temporary directory
// Written with the writers, read back byte for byte with the readers.
open("t.txt","w")
write("Hello")
writeln(" world")
writeln()
writeln("1 2.5 -3e2 x .5")
putchar([200,10])
putword([513,-2])
close()
open("t.txt")
getline()
"<"|getline()|">"
{v,k}=getvector(4);
v, k
getchar()
getuchar()
getchar()
getword()
getword()
eof()
getchar()
getuchar()
close()
// The same file as bytes.
open("t.txt","rb");
getuchar(100)
eof()
close();
// Closing with no file open gives -1; eof() then is 1.
close()
eof()
// A read file and a write file stay open side by side.
open("a.txt","w");
open("t.txt");
close()
// Appending and lines ending in a carriage return: text mode drops it,
// binary mode keeps it.
open("a.txt","a"); write("x"); putchar([13,10]); close();
open("a.txt"); strtochar(getline())
open("a.txt","rb"); strtochar(getline())
close();
