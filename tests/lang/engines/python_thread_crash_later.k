// A fault on a thread Python started, while Kalix computes: Kalix goes on,
// and the next use of Python says that Python was switched off.
// setting askexec 0
py: import threading, ctypes, time
py: t = threading.Thread(target=lambda: (time.sleep(0.2), ctypes.string_at(0))); t.start()
wait(2);
"Kalix goes on"
py: 1+1
pyget("t")
