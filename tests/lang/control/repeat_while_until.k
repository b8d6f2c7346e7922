i=0; repeat; i=i+1; until i>=3; end; i
i=0; repeat; while i<4; i=i+1; end; i
// break and continue.
i=0; s=0; repeat; i=i+1; if i==2 then continue; endif; if i>5 then break; endif; s=s+i; end; s
for i=1 to 10; if i==3 then break; endif; i, end; "broken"
i=0; repeat; i=i+1; while i=3; end;
repeat; i=1;
