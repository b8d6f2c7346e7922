// runs in a temporary directory
open("n.txt","w");
writeln("x=1, y=-2.5e1; 3.25E-2 -. - 7 1e 2e+ 8 .");
writeln("a1 b-2.5 c3 d4");
close();
open("n.txt");
{v,k}=getvector(100);
v
k
// getvectorline reads one line, at most n numbers, and gives back the line.
open("n.txt");
{v,k,l}=getvectorline(3);
v, k, l
{v,k,l}=getvectorline(10);
v, k, l
{v,k,l}=getvectorline(10);
v, k, "<"|l|">"
// A decimal comma.
setdecimaldot(",")
open("c.txt","w"); writeln("1,5 -2 x 3"); writeln("0,25;7,5"); writeln("4,"); close();
open("c.txt");
{v,k}=getvector(10);
v, k
open("c.txt");
{v,k,l}=getvectorline(10);
v, k, l
setdecimaldot(".")
// Lines and counts that are too long, counts below 1.
open("n.txt");
getvector(0)
getvector(-1)
getvector("a")
getvectorline(0)
getvectorline("a")
getstring(0)
setdecimaldot(",,")
setdecimaldot(1)
close();
