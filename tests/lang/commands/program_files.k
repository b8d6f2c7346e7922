cd(home());
load files/outer.k
"back at the prompt"
// A quiet load does not show comment blocks.
load files/outer.k;
load nofile
// A name without an extension is a program file ending in ".k".
load found
load files/missing_end.k
path ""
path
path "a;b/;;c"
path
path "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;21;22;23;24;25;26;27;28;29;30;31;32;33;34"
path 5
relax
comment
/* at the prompt
cd files;
cd ..;
load("files/inner.k")
