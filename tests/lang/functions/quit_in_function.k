// quit inside a function body ends the body and the program.
function f()
"in f"
quit
"still in f"
endfunction
f()
"not here"
