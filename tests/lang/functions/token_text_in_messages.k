// Messages about what was found show the text, not stored token bytes.
function f()
y=3 4
endfunction
f()
function g()
for = 3
endfunction
g()
function h()
x=1 for
endfunction
h()
