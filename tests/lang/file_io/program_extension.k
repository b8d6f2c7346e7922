// runs in a temporary directory
// A file opened for reading is found with ".k" added to its name.
open("prog.k","w"); writeln("x=41+1"); close();
open("prog"); getline(), close();
open("prog","r"); getline(), close();
open("prog","rb"); getchar(), close();
open("missing")
