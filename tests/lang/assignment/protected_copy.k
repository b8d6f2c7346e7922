// A copy of a protected variable is an ordinary variable: listed, and
// removed by clearall while the protected one stays.
s="abc"; protect; u=s;
listvar
clearall
s
u
