// Without permission to start Python (askexec on, and no terminal to ask
// at) every use of Python says so, and Kalix goes on.
py: 1+1
python("2+2")
pyget("x")
pycall()
pycall
"Kalix goes on"
