// Commands of facilities that are not built yet say so.
hold
shg
clg;
resetgraphics
maximamode
pythonmode
mxmhelp x
addmenu x
submenu x
tccompile x
