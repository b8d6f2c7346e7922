#!/usr/bin/env python3
"""The libraries a run loads: a start on the terminal loads neither the
window toolkit nor the libraries opened on first use (URLs, sounds, FFTW,
LAPACK, the ALGLIB module, regular expressions, zlib, and line editing,
which only a terminal that types the commands needs);
each is opened when a statement needs it. The windows' library, opened
with every symbol bound at once, finds everything it needs in the program.
A program without the ALGLIB module beside it says so where it needs it.

Reads the dynamic linker's list of the files it loads (LD_DEBUG=files).
Usage: loaded_libraries.py KALIX WORKDIR
"""
import os
import pty
import re
import shutil
import subprocess
import sys

KALIX, WORK = os.path.abspath(sys.argv[1]), sys.argv[2]

LATER = ("libkalix-windows.so", "libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6",
         "libcurl.so.4", "libsndfile.so.1", "libasound.so.2", "liblapacke.so.3",
         "libopenblas.so.0", "libfftw3.so.3", "libkalix-alglib.so", "libalglib.so",
         "libpcre2-8.so.0", "libz.so.1", "libreadline.so.8", "libtinfo.so.6")
ALGLIB = ("libkalix-alglib.so", "libalglib.so")

# The toolkit brings zlib and PCRE2 along, and libcurl zlib.
QT = ("libkalix-windows.so", "libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6",
      "libz.so.1", "libpcre2-8.so.0")

# name, program, libraries it must load, extra environment; a program given
# as TERMINAL is typed on a terminal.
TERMINAL = "terminal"
CASES = [
    ("a bare start", "quit\n", (), {}),
    ("a computation and the help", "x=1:10; sum(x)\nhelp sin\nquit\n", (), {}),
    ("a linear system", "A=[2,1;1,3]; A\\[1;2]\nquit\n",
     ("liblapacke.so.3", "libopenblas.so.0"), {}),
    ("a Fourier transform", "fft([1,2,3,4])\nquit\n", ("libfftw3.so.3",), {}),
    ("a PNG picture", 'clg; plot(0:0.1:1,0:0.1:1); savepng("p.png",60,40,1)\nquit\n',
     QT, {"LD_BIND_NOW": "1"}),
    ("a compressed SVG picture", 'clg; plot(0:1,0:1); savesvg("p.svgz",60,40)\nquit\n',
     ("libz.so.1",), {}),
    ("a regular expression", 'strxfind("abc","b+")\nquit\n', ("libpcre2-8.so.0",), {}),
    ("commands typed on a terminal", TERMINAL, ("libreadline.so.8", "libtinfo.so.6"), {}),
    ("a URL", 'urlopen("http://127.0.0.1:9/none")\nquit\n', ("libcurl.so.4", "libz.so.1"), {}),
    ("a sound", 'playwave("missing.wav")\nquit\n', ("libsndfile.so.1", "libasound.so.2"), {}),
    ("an error function", "erf(0.5)\nquit\n", ALGLIB, {}),
    ("a normal quantile", "invnormaldis(0.3)\nquit\n", ALGLIB, {}),
    ("a binomial distribution", "bindis(1,4,0.5)\nquit\n", ALGLIB, {}),
    ("an eigensolver", "aleigen([1,2;3,4],1)\nquit\n", ALGLIB, {}),
    ("a dense solve", "alsolve([2,1;1,3],[1;2],0)\nquit\n", ALGLIB, {}),
    ("an integral", 'function f(x) := x^2\nalintegrate("f",0,3)\nquit\n', ALGLIB, {}),
]


def loaded(errors):
    return {os.path.basename(m) for m in re.findall(r"file=(\S+)\s+\[", errors)}


def present(library, files):
    """Whether `library` is among `files`, with or without a version after .so."""
    return any(f == library or f.startswith(library + ".") for f in files)


def typed_on_terminal(env):
    """A run whose input and output are a terminal; "quit" typed at the
    prompt. Standard error (the linker's list) goes to a pipe."""
    master, slave = pty.openpty()
    process = subprocess.Popen([KALIX], stdin=slave, stdout=slave, stderr=subprocess.PIPE,
                               env=env, cwd=WORK, text=True)
    os.close(slave)
    os.write(master, b"quit\n")
    try:
        _, errors = process.communicate(timeout=120)
    finally:
        os.close(master)
    return subprocess.CompletedProcess(process.args, process.returncode, "", errors)


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(os.path.join(WORK, "config"))
failures = []
for name, program, wanted, extra in CASES:
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(HOME=WORK, XDG_CONFIG_HOME=os.path.join(WORK, "config"), LD_DEBUG="files",
               QT_QPA_PLATFORM="offscreen", **extra)
    if program == TERMINAL:
        run = typed_on_terminal(env)
    else:
        run = subprocess.run([KALIX], input=program, env=env, cwd=WORK, capture_output=True,
                             text=True, timeout=120)
    files = loaded(run.stderr)
    if "libc.so.6" not in files:
        failures.append("%s: no list of loaded files" % name)
        continue
    for library in LATER:
        if present(library, files) != (library in wanted):
            failures.append("%s: %s %s" % (name, library,
                                           "not loaded" if library in wanted else "loaded"))
    if re.search(r"undefined symbol|symbol lookup error|Could not open the windows", run.stderr):
        failures.append("%s: %s" % (name, run.stderr[-2000:]))
    if wanted == ALGLIB and re.search(r"Could not open|Error in", run.stdout):
        failures.append("%s: %s" % (name, run.stdout[-2000:]))
picture = os.path.join(WORK, "p.png")
if not os.path.exists(picture) or os.path.getsize(picture) == 0:
    failures.append("the PNG picture was not written")

# The program alone, without its ALGLIB module: the builtins that need it
# fail with the reason, the others still work.
alone = os.path.join(WORK, "alone")
os.makedirs(alone)
shutil.copy(KALIX, alone)
run = subprocess.run([os.path.join(alone, os.path.basename(KALIX))],
                     input="erf(0.5)\n1+1\ninvnormaldis(0.3)\nquit\n", env=env, cwd=WORK,
                     capture_output=True, text=True, timeout=120)
if (run.stdout.count("Could not open ALGLIB: ") != 2 or "libkalix-alglib.so" not in run.stdout
        or not re.search(r"^\s*2\s*$", run.stdout, re.M)):
    failures.append("without the ALGLIB module: %s" % run.stdout[-2000:])

for failure in failures:
    print("FAILED: " + failure)
sys.exit(1 if failures else 0)
