// A fault on a thread Python started, while Python runs: the running call
// is reported as a Python crash, Python is switched off, and Kalix goes on.
// setting askexec 0
x = 7;
py: import threading, ctypes, time
py: t = threading.Thread(target=lambda: ctypes.string_at(0)); t.start(); time.sleep(10)
"Kalix goes on", x
py: 1+1
