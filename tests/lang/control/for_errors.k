// The end on the next line is missing.
for i=1 to 3
end
for i 1 to 3; end;
for i="a"; end;
for i=[1,2;3,4]; end;
for i=1 to "b"; end;
for i=1 to 2 step "c"; end;
for i=1 to 3; i="a"; end;
