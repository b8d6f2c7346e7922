// Commands of facilities that are not built yet say so.
trace off
traceif 1
maximamode
pythonmode
mxmhelp x
tccompile x
