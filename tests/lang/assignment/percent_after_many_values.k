// "%" keeps the last value however many statements changed its size.
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
1;
[1,2];
[3,4];
%
"hello world";
%
