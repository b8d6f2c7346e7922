// clear needs names.
clear;
a=1; b=2; c=3; d=4;
clear a, b;
a
c
clear(c, d);
d
clear (x
clear e f
