x=5; y=6; clearall;
x
listvar
q=4; protect; r=7; clearall;
q
r
