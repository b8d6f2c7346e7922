q=1; setglobal q
setglobal zz
global a
forget nothing, other
