// Without "to" the body runs once, whatever the start value.
for c=NAN; c, end;
for c=2^53; c, end;
// A step that does not change the value ends the loop after its pass.
for c=2^53 to 2^53+4; c, end;
for i=1 to 3 step 0; i, end;
// A NaN end ends the loop after the first pass.
for i=1 to NAN; i, end;
"done"
