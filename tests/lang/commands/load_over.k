// "load over" may overwrite protected functions for that load only.
function pf
  return "typed"
endfunction
protect
load files/redefine
pf()
load over files/redefine
pf()
protect
load files/redefine
pf()
