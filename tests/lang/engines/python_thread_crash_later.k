// A fault on a thread Python started, while Kalix computes: Kalix goes on,
// and the next use of Python says that Python was switched off.
// setting askexec 0
// runs in a temporary directory
// The thread waits until the call that started it has ended (the file
// "go"), gives its id (the file "thread") and faults.
py: import threading, ctypes, os, pathlib, time
py: go = lambda: [time.sleep(0.01) for _ in iter(lambda: os.path.exists("go"), True)]
py: crash = lambda: (go(), pathlib.Path("id").write_text(str(threading.get_native_id())), os.rename("id", "thread"), ctypes.string_at(0))
py: t = threading.Thread(target=crash); t.start()
open("go", "w"); close();
// Kalix computes until the thread has faulted: it sleeps for good in the
// fault handler.
repeat; until fileexists("thread"); wait(0.01); end;
open("thread", "r"); task = "/proc/self/task/" | getline() | "/status"; close();
function state(task)
  open(task, "r"); repeat; l = getline(); until strfind(l, "State:") == 1; end; close();
  return substring(l, 8, 8)
endfunction
repeat; until state(task) == "S"; wait(0.01); end;
"Kalix goes on"
py: 1+1
pyget("t")
