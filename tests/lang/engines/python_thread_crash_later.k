// A fault on a thread Python started, while Kalix computes: Kalix goes on,
// and the next use of Python says that Python was switched off.
// setting askexec 0
// runs in a temporary directory
py: import threading, ctypes, os, pathlib
py: crash = lambda: (pathlib.Path("id").write_text(str(threading.get_native_id())), os.rename("id", "thread"), ctypes.string_at(0))
py: t = threading.Thread(target=crash); t.start()
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
