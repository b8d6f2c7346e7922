#!/usr/bin/env python3
"""A Kalix killed (SIGSEGV, then SIGKILL) after a change to its notebook
leaves a recovery copy; the next start offers it and opens it as the
notebook of its file, which stays as it was saved until the user saves.

Runs the real program with its window on Xvfb and types with xdotool;
skipped (exit 77) when either is missing.
Usage: killed_run_recovery.py KALIX WORKDIR
"""
import glob
import hashlib
import os
import shutil
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb_session import poll, prompt_shown  # noqa: E402

KALIX, WORK = sys.argv[1], sys.argv[2]
TIMEOUT = 30
START_TIMEOUT = 90  # a start on a loaded machine


def fail(message):
    print("FAILED: " + message)
    for report in (report_windows, report_program):
        try:
            report()
        except Exception as error:  # the report is best effort
            print("no more:", error)
    sys.exit(1)


def report_windows():
    names = [" ".join(xdotool("getwindowname", w))
             for w in xdotool("search", "--onlyvisible", "--name", ".")]
    print("windows:", names)
    print("copies:", [(c, read(c)) for c in copies()])
    print("notebook:", read(NOTEBOOK))


def report_program():
    """The running program's state: its end, its messages, its threads."""
    print("Xvfb:", "running" if xvfb.poll() is None else "ended with %d" % xvfb.returncode)
    if kalix is None:
        return
    print("kalix:", "running" if kalix.poll() is None else "ended with %d" % kalix.returncode)
    if kalix.poll() is None and shutil.which("gdb"):
        stacks = subprocess.run(["gdb", "-p", str(kalix.pid), "-batch", "-nx", "-ex",
                                 "thread apply all bt 30"], capture_output=True, text=True,
                                timeout=120)
        print(stacks.stdout[-20000:])
    with open(MESSAGES, "rb") as file:
        print("messages:", file.read()[-4000:])


def wait_for(what, check, timeout=TIMEOUT):
    return wait_for_quietly(check, timeout) or fail("waited in vain for " + what)


def wait_for_quietly(check, timeout):
    return poll(check, timeout)


def xdotool(*words):
    return subprocess.run(["xdotool", *words], env=ENV, capture_output=True, text=True,
                          timeout=TIMEOUT).stdout.split()


def window_named(pattern):
    found = xdotool("search", "--onlyvisible", "--name", pattern)
    return found[0] if found else None


def type_line(window, text):
    xdotool("windowfocus", "--sync", window)
    xdotool("type", "--delay", "15", text)
    xdotool("key", "Return")


def read(path):
    with open(path, "rb") as file:
        return file.read()


def copies():
    return glob.glob(os.path.join(ENV["XDG_CONFIG_HOME"], "kalix", "recovery", "*", "copy.kn"))


def copy_holding(text):
    for path in copies():
        if text.encode() in read(path):
            return path
    return None


def user_files():
    """Every file of the user but the recovery copies, with its digest."""
    recovery = os.path.join(ENV["XDG_CONFIG_HOME"], "kalix", "recovery")
    files = {}
    for folder, _, names in os.walk(HOME):
        if folder.startswith(recovery):
            continue
        for name in names:
            path = os.path.join(folder, name)
            files[path] = hashlib.sha256(read(path)).hexdigest()
    return files


def start_kalix():
    # Messages go to a file (a pipe nobody reads could fill and stop it).
    with open(MESSAGES, "ab") as messages:
        messages.write(b"--- start\n")
        messages.flush()
        return subprocess.Popen([KALIX], env=ENV, stdin=subprocess.DEVNULL, cwd=HOME,
                                stdout=subprocess.DEVNULL, stderr=messages)


def kill(process, signal_number):
    process.send_signal(signal_number)
    try:
        process.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        process.kill()
        fail("Kalix did not end on signal %d" % signal_number)
    if process.returncode == 0:
        fail("Kalix ended normally on signal %d" % signal_number)


def accept_offer(process, changed_title):
    """The start asks about the copy; Yes opens it as the changed notebook."""
    wait_for("the question about the copy", lambda: window_named("^Kalix$"), START_TIMEOUT)
    for _ in range(10):
        box = window_named("^Kalix$")
        if box:
            xdotool("windowfocus", "--sync", box)
            xdotool("key", "Return")  # Yes is the default button
        window = wait_for_quietly(lambda: window_named(changed_title), 2)
        if window:
            return window
    fail("the recovered notebook did not show")


for tool in ("Xvfb", "xdotool", "xwd"):
    if not shutil.which(tool):
        print("SKIPPED: %s is not installed" % tool)
        sys.exit(77)

shutil.rmtree(WORK, ignore_errors=True)
HOME = os.path.join(WORK, "home")
os.makedirs(os.path.join(HOME, "work"))
NOTEBOOK = os.path.join(HOME, "work", "work.kn")
MESSAGES = os.path.join(WORK, "messages.txt")
with open(os.path.join(HOME, ".kalix.profile"), "w") as profile:
    profile.write('started="1"\ncheckforupdates="0"\naskconfirmations="0"\nspellcheck="0"\n')

# -noreset: a server that resets when its last client leaves refuses a
# start that comes in that moment.
xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten",
                         "tcp", "-noreset"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
display = xvfb.stdout.readline().decode().strip()
ENV = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
ENV.update(HOME=HOME, XDG_CONFIG_HOME=os.path.join(HOME, "config"), DISPLAY=":" + display,
           KALIX_RECOVERY_INTERVAL_MS="200", LC_ALL="C.UTF-8")
kalix = None
try:
    # A notebook saved, then changed: the copy holds the change.
    kalix = start_kalix()
    window = wait_for("the notebook window", lambda: window_named("^KXW x64"), START_TIMEOUT)
    wait_for("the first prompt", lambda: prompt_shown(ENV, window), START_TIMEOUT)
    type_line(window, "x=12345")
    type_line(window, "y=2")
    xdotool("windowfocus", "--sync", window)
    xdotool("key", "ctrl+s")
    chooser = wait_for("the file chooser", lambda: window_named("Save Notebook"))
    xdotool("windowfocus", "--sync", chooser)
    xdotool("type", "--delay", "15", NOTEBOOK)
    xdotool("key", "Return")
    wait_for("the saved notebook", lambda: os.path.exists(NOTEBOOK) and b"y=2" in read(NOTEBOOK))
    wait_for("the saved title", lambda: window_named(r"^KXW x64 \(work\)$"))
    saved = read(NOTEBOOK)
    type_line(window, "z=777")
    wait_for("a copy with the change", lambda: copy_holding("z=777"))
    before = user_files()

    kill(kalix, signal.SIGSEGV)
    if not copy_holding("z=777"):
        fail("the copy went with the crash")
    if read(NOTEBOOK) != saved or user_files() != before:
        fail("the crash changed the user's files")

    # The next start offers it; the notebook is the changed work.kn.
    kalix = start_kalix()
    window = accept_offer(kalix, r"^KXW x64 \(work\) \(changed\)$")
    if read(NOTEBOOK) != saved:
        fail("opening the copy changed the notebook's file")
    # The cursor is on the first command, as after opening the notebook.
    type_line(window, "w=4242; ")
    wait_for("the taken copy renewed", lambda: copy_holding("w=4242"))
    if len(copies()) != 1:
        fail("copies: %s" % copies())

    kill(kalix, signal.SIGKILL)
    if not copy_holding("w=4242") or read(NOTEBOOK) != saved:
        fail("SIGKILL lost the copy or changed the notebook")

    # Offered again; saved, the copy goes; a normal end leaves nothing.
    kalix = start_kalix()
    window = accept_offer(kalix, r"^KXW x64 \(work\) \(changed\)$")
    xdotool("windowfocus", "--sync", window)
    xdotool("key", "ctrl+s")
    wait_for("the recovered notebook saved", lambda: b"w=4242" in read(NOTEBOOK))
    text = read(NOTEBOOK)
    # (Only the texts: a Return typed before the first prompt is ready may
    # join two commands on a loaded machine.)
    for command in (b"w=4242", b"x=12345", b"y=2", b"z=777"):
        if command not in text:
            fail("the saved notebook lacks " + command.decode())
    wait_for("the copy removed", lambda: not copies())
    kalix.send_signal(signal.SIGTERM)
    if kalix.wait(timeout=TIMEOUT) != 0:
        fail("Kalix did not end normally")
    root = os.path.join(ENV["XDG_CONFIG_HOME"], "kalix", "recovery")
    if os.path.isdir(root) and os.listdir(root):
        fail("left in the recovery folder: %s" % os.listdir(root))
    kalix = None
    print("ok")
finally:
    if kalix and kalix.poll() is None:
        kalix.kill()
        kalix.wait()
    xvfb.terminate()
    xvfb.wait()
