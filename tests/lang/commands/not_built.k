// Commands of facilities that are not built yet say so.
hold
shg
clg;
resetgraphics
trace off
traceif 1
maximamode
mxmhelp x
addmenu x
submenu x
