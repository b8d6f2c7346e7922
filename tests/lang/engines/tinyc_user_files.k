// A tinyc definition keeps its files in Kalix's own directory: a user's
// solve.c and solve.so beside it stay as they were, and none are added.
// setting askexec 0
// runs in a temporary directory
open("solve.c","w"); writeln("/* the user's own solver */"); writeln("int main(void) { return 7; }"); close();
open("solve.so","w"); writeln("not a library"); close();
function tinyc solve (x)
  double v;
  if (!getreal(hd[0], &v)) return dllerror("solve needs a real");
  newreal(2 * v);
endfunction
solve(21)
open("solve.c"); getline(), getline(), eof(), close();
open("solve.so"); getline(), eof(), close();
// Defined again, it is compiled again.
function tinyc solve (x)
  double v;
  if (!getreal(hd[0], &v)) return dllerror("solve needs a real");
  newreal(3 * v);
endfunction
solve(21)
open("solve.c"); getline(), getline(), eof(), close();
