// runs in a temporary directory
// Without a read file.
getline()
getword()
getlongword(2)
getvector(3)
getvectorline(3)
getchar()
getchar(3)
// Wrong arguments.
open(1)
open("t.txt",1)
open("t.txt","x")
open("t.txt","rw")
open("t.txt","wbb")
getchar("a")
getchar(0)
getuchar(0)
getword(0)
putchar("a")
putchar([1,2;3,4])
putchar(NAN)
write(1)
writeln(1)
// Files that cannot be opened.
open("missing.txt")
open("missing.txt","rb")
open("no/such/dir/t.txt","w")
// A failed write is an error 10, never a success.
open("/dev/full","w")
write("abc")
writeln("abc")
putchar(65)
putword(1)
putlongword(1)
close()
// A line of 40000 characters is too long for getline.
s=printstr("",16384,1,"a");
open("long.txt","w"); write(s); write(s); write(printstr("",7232,1,"a")); writeln("b"); close();
open("long.txt");
getline()
// Nothing of the line is lost.
strlen(getline())
getline()
close();
