// The end on the next line is missing.
for i=1 to 3
end
for i 1 to 3; end;
for i="a"; end;
for i=[1,2;3,4]; end;
for i=1 to "b"; end;
for i=1 to 2 step "c"; end;
for i=1 to 3; i="a"; end;
// A ".." in a top-level loop fetches the next line over the loop's own
// text: the loop cannot go back, so its end counts as missing.
for i=1 to 3; i, ..
end;
loop 1 to 3; #, ..
end;
// " ..." joins the lines, and the loop runs.
for i=1 to 3; i, ...
end;
