// "quit" leaves Python mode and quits; a Python name that begins with
// "quit" stays Python's.
// setting askexec 0
pythonmode
quitting = 5
quitting + 1
quit
"not reached"
