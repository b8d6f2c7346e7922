"""Runs one program through kalix (the sanitizer build) on its standard
input, or one notebook through "kalix -run", in a working directory and
home of its own, with a time and a memory bound, and classifies what
happened. A run with engines gets the stand-in Maxima of the tests and
Python without the start question.

A finding has a signature: the kind (crash, sanitizer report, leak, hang,
memory) and where it happened (the first frame in Kalix's own code, or
the file and line of an undefined-behaviour report). Minimization keeps
the signature.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

SANITIZER_ENVIRONMENT = {
    "ASAN_OPTIONS": "detect_leaks=1:allocator_may_return_null=1:handle_abort=1",
    "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
    "LSAN_OPTIONS": "report_objects=0",
}

ASAN_ERROR = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer): ([\w-]+)")
UBSAN_ERROR = re.compile(r"([^\s:]+):(\d+):\d+: runtime error: (.*)")
FRAME = re.compile(r"#\d+ 0x[0-9a-f]+ in (\S+)(?: ([^\s:]+):(\d+))?")
# Kalix's crash guard takes a fatal signal, writes this report and ends
# with status 128 + signal.
CRASH_REPORT = re.compile(r"Sorry, Kalix crashed \(Code ([0-9a-f]+), in (GUI|Code)\)!")
# The Maxima of the bridge tests (speaks the prompt protocol, answers at once).
STAND_IN_MAXIMA = os.path.join("tests", "unit", "files", "maxima")
NOTEBOOK = "fuzz.kn"
FATAL_SIGNALS = {signal.SIGILL, signal.SIGTRAP, signal.SIGABRT, signal.SIGBUS, signal.SIGFPE,
                 signal.SIGSEGV, signal.SIGSYS}


class Result:
    def __init__(self, kind, signature="", detail="", seconds=0.0):
        self.kind = kind  # ok, crash, sanitizer, leak, hang, memory
        self.signature = signature
        self.detail = detail
        self.seconds = seconds
        self.interrupted = 0  # Ctrl-C sent before the run ended
        self.returncode = None
        self.output = ""  # what the program printed, when kept

    @property
    def failed(self):
        return self.kind != "ok"

    def __repr__(self):
        return "%s %s" % (self.kind, self.signature)


def own_frame(report, source_root):
    """The first stack frame in Kalix's own sources: "function file:line"."""
    for m in FRAME.finditer(report):
        function, path, line = m.group(1), m.group(2), m.group(3)
        if path and source_root and path.startswith(source_root) and "/tests/" not in path:
            return "%s %s:%s" % (function, os.path.relpath(path, source_root), line)
    m = FRAME.search(report)
    return m.group(1) if m else "?"


def classify(returncode, stderr, source_root):
    m = ASAN_ERROR.search(stderr)
    if m:
        kind = "leak" if m.group(1) == "LeakSanitizer" else "sanitizer"
        where = stderr[m.start():]
        return Result(kind, "%s %s" % (m.group(2), own_frame(where, source_root)), stderr)
    m = UBSAN_ERROR.search(stderr)
    if m:
        path = m.group(1)
        if source_root and path.startswith(source_root):
            path = os.path.relpath(path, source_root)
        # The values in the message vary, its kind not.
        message = re.sub(r"'[^']*'|-?\b\d[\d.]*(?:e[+-]?\d+)?|-?\b(?:inf|nan)\b", "#",
                         m.group(3))
        return Result("sanitizer", "ub %s:%s %s" % (path, m.group(2), message), stderr)
    if returncode < 0:
        return Result("crash", "signal %d" % -returncode, stderr)
    m = CRASH_REPORT.search(stderr)
    if m:
        return Result("crash", "signal %d" % int(m.group(1), 16), stderr)
    if returncode > 128 and returncode - 128 in FATAL_SIGNALS:
        return Result("crash", "signal %d" % (returncode - 128), stderr)
    return Result("ok")


def rss_megabytes(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) // 1024
    except OSError:
        pass
    return 0


class Runner:
    """A run that passes the time bound is interrupted as the user would:
    Ctrl-C (Escape) every `interval` seconds. A program whose long
    statements stop on Escape ends after a few of them (it was slow, a loop
    without end is allowed); one that does not end after `interrupts` of
    them hangs."""

    def __init__(self, kalix, source_root, timeout=10.0, memory_mb=2048, stack_mb=256,
                 interrupts=10, interval=1.0):
        self.kalix = os.path.abspath(kalix)
        self.source_root = os.path.abspath(source_root)
        self.timeout = timeout
        self.memory_mb = memory_mb
        self.stack_mb = stack_mb
        self.interrupts = interrupts
        self.interval = interval

    def quicker(self, timeout):
        """The same runner with a shorter time bound (for minimization)."""
        return Runner(self.kalix, self.source_root, min(timeout, self.timeout), self.memory_mb,
                      self.stack_mb, min(self.interrupts, 5), self.interval)

    def environment(self, home):
        env = {k: v for k, v in os.environ.items() if not k.endswith("SAN_OPTIONS")}
        env.update(SANITIZER_ENVIRONMENT)
        env["HOME"] = home
        env["XDG_CONFIG_HOME"] = os.path.join(home, "config")
        return env

    def prepare(self, directory, files_from, engines=False):
        home = os.path.join(directory, "home")
        os.makedirs(os.path.join(home, "config"))
        # The smallest interpreter stack keeps a run's memory small.
        with open(os.path.join(home, ".kalix.profile"), "w") as f:
            f.write('stacksize64="%d"\n' % self.stack_mb)
            # Maxima, wherever it is started, is the tests' stand-in.
            f.write('maximacallstring="%s"\n' % os.path.join(self.source_root, STAND_IN_MAXIMA))
            if engines:
                # No terminal answers the start question: Python starts
                # without it.
                f.write('askexec="0"\nenablemaxima="1"\n')
        with open(os.path.join(directory, "prog.k"), "w") as f:
            f.write("x=1\nfunction lf(a) := a+1\n")
        if files_from and os.path.isdir(files_from):
            shutil.copytree(files_from, os.path.join(directory, "files"))
        return home

    def start(self, stdin, stderr, directory, home, arguments=(), stdout=subprocess.DEVNULL):
        # The program may be replaced by a build meanwhile: a few tries.
        for attempt in range(20):
            try:
                return subprocess.Popen([self.kalix, *arguments], stdin=stdin,
                                        stdout=stdout,
                                        stderr=stderr, cwd=directory,
                                        env=self.environment(home), start_new_session=True)
            except OSError:
                if attempt == 19:
                    raise
                time.sleep(1)

    def run(self, program, files_from=None, on_start=None, notebook=False, engines=False,
            keep_output=False):
        """program: bytes fed on standard input, or with `notebook` the
        notebook run by "-run" (standard input empty). Returns a Result.
        on_start(process), when given, is called once the program runs.
        With keep_output the Result's `output` holds what the program
        printed (at most 1 MB)."""
        with tempfile.TemporaryDirectory(prefix="kalix-fuzz-") as directory:
            home = self.prepare(directory, files_from, engines)
            stderr_path = os.path.join(directory, "stderr")
            input_path = os.path.join(directory, NOTEBOOK if notebook else "in")
            with open(input_path, "wb") as f:
                f.write(program)
            arguments = ("-run", NOTEBOOK) if notebook else ()
            started = time.monotonic()
            output_path = os.path.join(directory, "stdout") if keep_output else os.devnull
            with open(os.devnull if notebook else input_path, "rb") as stdin, \
                    open(stderr_path, "wb") as stderr, open(output_path, "wb") as stdout:
                process = self.start(stdin, stderr, directory, home, arguments, stdout)
                if on_start:
                    on_start(process)
                over = None
                interrupted = 0
                next_interrupt = started + self.timeout
                while process.poll() is None:
                    now = time.monotonic()
                    if now >= next_interrupt:
                        if interrupted == self.interrupts:
                            over = "hang"
                        else:
                            os.kill(process.pid, signal.SIGINT)
                            interrupted += 1
                            next_interrupt = now + self.interval
                    if not over and rss_megabytes(process.pid) > self.memory_mb:
                        over = "memory"
                    if over:
                        os.killpg(process.pid, signal.SIGKILL)
                        process.wait()
                        break
                    time.sleep(0.02)
            seconds = time.monotonic() - started
            with open(stderr_path, "rb") as f:
                text = f.read(1 << 20).decode("latin-1")
            if over == "hang":
                return Result("hang", "hang", "no end after %g s and %d interrupts" %
                              (self.timeout, self.interrupts), seconds)
            if over == "memory":
                return Result("memory", "memory", "more than %d MB" % self.memory_mb, seconds)
            result = classify(process.returncode, text, self.source_root)
            result.seconds = seconds
            result.interrupted = interrupted
            result.returncode = process.returncode
            if keep_output:
                with open(output_path, "rb") as f:
                    result.output = f.read(1 << 20).decode("latin-1")
            return result
