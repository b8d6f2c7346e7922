// A value followed by ";" is not printed but becomes "%".
3+4;
%
// Commands and values must be separated properly.
3 4
1;2
// Too many closing brackets.
5)
// A value cannot be assigned to.
7 = 2
// "%% " at the start of a line is skipped.
%% 8
// A bare variable does not change "%".
v = 10;
v
%
