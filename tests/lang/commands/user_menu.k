// The user menu's commands take the rest of the line (a terminal has no
// menu, so they print nothing) and are refused inside functions.
addmenu x=%; 1+1
submenu Tools; 2+2
addmenu
3+3
function f()
  addmenu y
endfunction
f()
