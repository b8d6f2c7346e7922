// "#" is the counter of the innermost loop.
loop 1 to 3; #, end;
loop 3 to 1; #, end; "skipped"
loop 2.7 to 3.9; #, end;
loop -2.5 to -1; #, end;
loop 1 to 2; loop 5 to 6; #, end; #, end;
loop 1 to 3; if #==3 then continue; endif; #, end; "after"
loop "a" to 3; end;
loop 1; end;
loop 1 to "x"; end;
loop 1 to 3
