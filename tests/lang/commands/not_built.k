// Commands of facilities that are not built yet say so.
hold
shg
clg;
resetgraphics
trace off
traceif 1
pythonmode
addmenu x
submenu x
tccompile x
