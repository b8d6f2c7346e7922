#!/usr/bin/env python3
"""Whole sessions of the real program with its window, on Xvfb, typed into
with xdotool: what the command line opens, what the end of a session keeps
(the settings, the window's place, a read-only profile, the recent list),
how a signal ends it, and what a start says when its display does not
answer. Each case runs on a display and a home of its own; skipped (exit
77) without Xvfb or xdotool.
Usage: window_sessions.py KALIX WORKDIR
"""
import os
import signal
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb_session import (START_TIMEOUT, TIMEOUT, painted_all_over, run_cases,  # noqa: E402
                          selection_shown)

KALIX, WORK = os.path.abspath(sys.argv[1]), sys.argv[2]
QUIET = 'started="1"\ncheckforupdates="0"\naskconfirmations="0"\nspellcheck="0"\n'


def notebook_window(s):
    """The window, once the interpreter has printed its first prompt."""
    window = s.wait_window("^KXW x64", START_TIMEOUT)
    s.wait_prompt(window)
    return window


def quit_with_alt_f4(s, window):
    s.keys(window, "alt+F4")
    if s.ended() is None:
        s.fail("Alt+F4 did not end Kalix")


def make_notebook_with_picture(s, name):
    """A notebook with a picture, made by an unattended run."""
    s.write(name, '>x=linspace(0,1,50); plot(x,x^2):\n>1+1\n')
    env = {k: v for k, v in s.env.items() if k != "DISPLAY"}
    run = subprocess.run([KALIX, "-xrun", name], cwd=s.home, env=env, capture_output=True,
                         timeout=120)
    stem = name.rsplit(".", 1)[0]
    if run.returncode != 0 or b"%image%" not in s.read(name):
        s.fail("no notebook with a picture: %s" % run.stdout)
    return os.path.join(s.home, "images", stem + "-001.png")


def notebook_named_on_the_command_line(s):
    """`kalix nb.kn` and `kalix NB.KN` open the notebook in the window, with
    its picture; unchanged, it ends without a question and as it was."""
    s.write(".kalix.profile", QUIET)
    for name in ("nb.kn", "NB.KN"):
        picture = make_notebook_with_picture(s, name)
        saved = s.read(name)
        s.start(name)
        stem = name.rsplit(".", 1)[0]
        window = s.wait_window(r"^KXW x64 \(%s\)$" % stem, START_TIMEOUT)
        s.wait_prompt(window)
        shot = s.screenshot("opened-" + stem)
        if shot:
            print("screenshot:", shot)
        if not os.path.exists(picture) or s.read(name) != saved:
            s.fail("opening %s changed it" % name)
        with open(s.messages, "rb") as file:
            if b"Cannot interpret" in file.read():
                s.fail("the notebook went to the interpreter")
        quit_with_alt_f4(s, window)
        if s.read(name) != saved:
            s.fail("%s changed" % name)


def display_that_does_not_answer(s):
    """A display whose socket is there but answers nobody (its server died):
    the start ends and says why, not only that it crashed."""
    number = next(n for n in range(900, 1000)
                  if not os.path.exists("/tmp/.X11-unix/X%d" % n)
                  and not os.path.exists("/tmp/.X%d-lock" % n))
    path = "/tmp/.X11-unix/X%d" % number
    dead = socket.socket(socket.AF_UNIX)
    dead.bind(path)  # bound, never listening: a connection is refused
    try:
        s.write(".kalix.profile", QUIET)
        s.env["DISPLAY"] = ":%d" % number
        s.start()
        if s.ended() is None:
            s.fail("Kalix runs on without its display")
        with open(s.messages, "rb") as file:
            if b"could not connect to display :%d" % number not in file.read():
                s.fail("the start does not say why it failed")
    finally:
        dead.close()
        os.remove(path)


def term_with_a_changed_notebook(s):
    """SIGTERM (three times) with a changed notebook ends Kalix within a few
    seconds without a question; the recovery copy holds the change, the
    settings are written, and the next start offers the copy."""
    s.write(".kalix.profile", QUIET)
    s.env["KALIX_RECOVERY_INTERVAL_MS"] = "600000"  # only the end writes the copy
    kalix = s.start()
    window = notebook_window(s)
    s.type_line(window, "x=4711")
    s.type_line(window, "y=2")
    s.wait_window(r"\(changed\)")
    began = time.time()
    for _ in range(3):
        kalix.send_signal(signal.SIGTERM)
    status = s.ended(TIMEOUT)
    took = time.time() - began
    if status is None:
        s.fail("Kalix did not end on SIGTERM")
    print("SIGTERM ended Kalix in %.2f s (status %d)" % (took, status))
    copies = [c for c in s.copies() if b"y=2" in s.read(c)]
    if not copies:
        s.fail("no recovery copy of the changed notebook")
    settings = s.settings_in(s.profile)
    if settings.get("started") != "1" or not any(k.endswith("textmax") for k in settings):
        s.fail("the settings were not written: %s" % settings)

    # The next start offers the copy; Yes opens it as the changed notebook.
    s.start()
    box = s.wait_window("^Kalix$", START_TIMEOUT)
    s.keys(box, "Return")
    s.wait_window(r"^KXW x64 \(New Notebook\) \(changed\)$")
    s.kalix.send_signal(signal.SIGTERM)
    if s.ended() is None:
        s.fail("Kalix did not end on the second SIGTERM")


def hup_with_the_internal_editor_open(s):
    """SIGHUP while the internal editor shows an edited command: the edit
    is kept in the notebook's recovery copy."""
    s.write(".kalix.profile", QUIET)
    s.start()
    window = notebook_window(s)
    s.type_line(window, "a=1")
    s.type(window, "b=3")
    s.keys(window, "F9")
    editor = s.wait_window("^Internal Editor$")
    s.keys(editor, "ctrl+End")
    s.type(editor, "+1234")
    # Ctrl+A comes after the typed keys: once its selection shows, the
    # editor has taken them.
    s.keys(editor, "ctrl+a")
    s.wait_for("the typed text", lambda: selection_shown(s.env, editor))
    s.kalix.send_signal(signal.SIGHUP)
    if s.ended() is None:
        s.fail("Kalix did not end on SIGHUP")
    if not any(b"b=3+1234" in s.read(c) for c in s.copies()):
        s.fail("the editor's text is not in a copy: %s" % [s.read(c) for c in s.copies()])


def memory_size_set_in_the_dialog(s):
    """Options > Other Program Settings > Set Memory Sizes: the data stack
    set there is in the profile after quitting."""
    s.write(".kalix.profile", QUIET + 'stacksize64="1024"\n')
    s.start()
    window = notebook_window(s)
    # Alt alone selects the menu bar; Options is the fifth title, "Other
    # Program Settings" its sixth item, "Set Memory Sizes" the third from
    # the end of that submenu.
    # Qt takes the keys in their order, each menu opened by the key before.
    s.keys(window, "alt", "Right", "Right", "Right", "Right", "Down",
           *["Down"] * 5, "Right", "Up", "Up", "Up", "Return")
    dialog = s.wait_window("^Set Sizes$")
    s.keys(dialog, "ctrl+a")
    s.type(dialog, "2048")
    s.keys(dialog, "Return")
    s.wait_for("the dialog closed", lambda: not s.window_named("^Set Sizes$"))
    quit_with_alt_f4(s, window)
    settings = s.settings_in(s.profile)
    if settings.get("stacksize64") != "2048":
        s.fail("stacksize64 is %s" % settings.get("stacksize64"))


def placement_after_full_screen(s):
    """Full screen (Ctrl+Shift+Q), then Alt+F4: the profile keeps the
    normal rectangle, and the next start shows the window there. (Being
    maximised by a window manager: placement_test.cpp.)"""
    s.write(".kalix.profile", QUIET)
    s.start()
    window = notebook_window(s)
    normal = s.geometry(window)
    quit_with_alt_f4(s, window)

    def text_window_keys():
        stored = s.settings_in(s.profile)
        return {k.split("-")[-1]: v for k, v in stored.items()
                if k.count("-") == 2 and k.split("-")[-1] in ("xtext", "ytext", "wtext",
                                                               "htext", "textmax")}
    keys = text_window_keys()
    s.start()
    window = notebook_window(s)
    s.keys(window, "ctrl+shift+q")
    # This screen is lower than 800 pixels: the notebook alone over all of
    # it, without frame and menu bar.
    s.wait_for("full screen", lambda: s.geometry(window) == (0, 0, 1280, 768))
    s.wait_for("the full screen painted", lambda: painted_all_over(s.env, window))
    shot = s.screenshot("full-screen")
    if shot:
        print("screenshot:", shot)
    quit_with_alt_f4(s, window)
    if text_window_keys() != keys:
        s.fail("full screen: stored %s, was %s" % (text_window_keys(), keys))
    s.start()
    window = notebook_window(s)
    if s.geometry(window) != normal:
        s.fail("the next start shows %s, not %s" % (s.geometry(window), normal))
    quit_with_alt_f4(s, window)


placement_after_full_screen.screen = "1280x768"


def read_only_profile(s):
    """A profile of mode 444 stays as it is; the settings go to the
    per-user settings file."""
    before = QUIET + 'spaces="0"\n'
    s.write(".kalix.profile", before)
    os.chmod(s.profile, 0o444)
    s.start()
    window = notebook_window(s)
    quit_with_alt_f4(s, window)
    if s.read(s.profile).decode() != before or os.stat(s.profile).st_mode & 0o777 != 0o444:
        s.fail("the profile was replaced: %s" % s.read(s.profile))
    stored = s.settings_in(s.registry)
    if stored.get("started") != "1" or stored.get("spaces") != "0":
        s.fail("the settings are not in %s: %s" % (s.registry, stored))


def recent_list_without_repeats_and_missing_files(s):
    """Two slots naming one notebook and one naming a missing file: the
    list keeps the notebook once, and so does the profile."""
    path = s.write("work/one.kn", ">1+1\n")
    s.write(".kalix.profile", QUIET + 'recent0="%s"\nrecent1="%s"\nrecent2="%s"\n' %
            (path, path, os.path.join(s.home, "gone.kn")))
    s.start()
    window = notebook_window(s)
    quit_with_alt_f4(s, window)
    recent = {k: v for k, v in s.settings_in(s.profile).items() if k.startswith("recent")}
    if recent != {"recent0": path}:
        s.fail("recent files: %s" % recent)


def recovery_copy_is_no_users_notebook(s):
    """A copy opened at the offer, or by its path, never enters the recent
    list; saving it asks for a place, and the recovery folder is refused."""
    s.write(".kalix.profile", QUIET + 'alwaysrestart="0"\n')
    s.env["KALIX_RECOVERY_INTERVAL_MS"] = "200"
    s.start()
    window = notebook_window(s)
    s.type_line(window, "k=31")
    s.type_line(window, "m=32")
    s.wait_for("a copy", lambda: [c for c in s.copies() if b"m=32" in s.read(c)])
    s.kalix.kill()
    s.kalix.wait()

    # Offered: Yes; quit without saving (questions are on for that).
    s.write(".kalix.profile", QUIET.replace('askconfirmations="0"', 'askconfirmations="1"'))
    s.start()
    box = s.wait_window("^Kalix$", START_TIMEOUT)
    s.keys(box, "Return")
    window = s.wait_window(r"^KXW x64 \(New Notebook\) \(changed\)$")
    s.keys(window, "alt+F4")
    question = s.wait_window("^Kalix$")
    s.keys(question, "n")
    if s.ended() is None:
        s.fail("Kalix did not end after No")
    copy = [c for c in s.copies() if b"m=32" in s.read(c)][0]

    # Opened by its path: Save asks where, and refuses the recovery folder.
    s.start(copy)
    offer = s.wait_window("^Kalix$", START_TIMEOUT)
    s.keys(offer, "Escape")  # Cancel: the copy stays for a later start
    window = s.wait_window(r"^KXW x64 \(copy\)", START_TIMEOUT)
    s.wait_prompt(window)
    s.keys(window, "ctrl+s")
    chooser = s.wait_window("Save Notebook")
    s.keys(chooser, "ctrl+a")
    s.type(chooser, os.path.join(os.path.dirname(copy), "mine.kn"))
    s.keys(chooser, "Return")
    # The chooser and the refusal have one title: wait for each to close.
    s.wait_for("the chooser closed", lambda: s.window_closed(chooser))
    refusal = s.wait_window("^Save Notebook$")
    s.keys(refusal, "Return")
    # While the box is open, the notebook takes no keys.
    s.wait_for("the refusal closed", lambda: s.window_closed(refusal))
    if os.path.exists(os.path.join(os.path.dirname(copy), "mine.kn")):
        s.fail("a notebook was saved in the recovery folder")
    s.keys(window, "ctrl+s")
    chooser = s.wait_window("Save Notebook")
    s.keys(chooser, "ctrl+a")
    mine = os.path.join(s.home, "mine.kn")
    s.type(chooser, mine)
    s.keys(chooser, "Return")
    s.wait_for("the saved notebook", lambda: os.path.exists(mine) and b"m=32" in s.read(mine))
    quit_with_alt_f4(s, window)
    recent = [v for k, v in s.settings_in(s.profile).items() if k.startswith("recent")]
    if recent != [mine]:
        s.fail("recent files: %s" % recent)


sys.exit(run_cases([notebook_named_on_the_command_line, display_that_does_not_answer,
                    term_with_a_changed_notebook,
                    hup_with_the_internal_editor_open, memory_size_set_in_the_dialog,
                    placement_after_full_screen, read_only_profile,
                    recent_list_without_repeats_and_missing_files,
                    recovery_copy_is_no_users_notebook], KALIX, WORK))
