// A range loop and its end on one line.
for i=1 to 3; i, end;
// Steps: 0.1 up to a widened end runs 11 times and ends near 1.
n=0; for x=0 to 1 step 0.1; n=n+1; end; n
abs(x-1)<1e-10
for i=3 to 1 step -1; i, end;
// No pass when the end lies below the start.
for i=5 to 1; i, end; "skipped"
// Without "to" the body runs once.
for i=7; i, end;
// Vectors of reals, complex values and intervals.
for v=[1,5,7]; v, end;
for z=[1+2i, 3-1i]; z, end;
for x=~1,2~; x, end;
for v=[]; v, end; "empty"
// The loop variable is shared with the body.
for i=1 to 3; i=i+1, end;
// continue in the last pass goes on after the loop.
for i=1 to 3; if i==3 then continue; endif; i, end; "after"
// Nested loops.
for i=1 to 2; for j=1 to 2; i*10+j, end; end;
// At the top level an assignment to the loop variable makes a variable of
// that name that the loop follows; afterwards there is only that one.
for counter=1 to 5; counter, counter=10; end;
counter
listvar counter
