// Bytes that mark tokens in stored bodies are refused in typed bodies.
function pf()
 
endfunction
pf()
function pg() := 1+
pg()
"next"
