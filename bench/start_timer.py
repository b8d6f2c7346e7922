#!/usr/bin/env python3
"""Runs a command `runs` times, its standard input from the given text (or
/dev/null), and prints the medians of the wall time and the CPU time (user
plus system, in milliseconds) and of the peak resident set (MB) of each run:
"wall cpu mb". Each run is waited for alone, so its own figures are read.
The peak is taken in runs of their own under /usr/bin/time: a child's peak
counts what it held before its exec, and a child of Python holds Python.

With --until FILE, the wall time of a run is the time until FILE appears
(looked for every millisecond); the run is then ended with SIGTERM.

Usage: start_timer.py [--until FILE] RUNS INPUT-TEXT|- COMMAND [ARGUMENTS...]
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

until = None
if sys.argv[1] == "--until":
    until = sys.argv[2]
    del sys.argv[1:3]
runs, text, command = int(sys.argv[1]), sys.argv[2], sys.argv[3:]


def run(words):
    """Starts the command and feeds it the text; its process."""
    process = subprocess.Popen(words, stdin=subprocess.PIPE if text != "-" else subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if text != "-":
        process.stdin.write(text.encode())
        process.stdin.close()
    return process


walls, cpus, peaks = [], [], []
for _ in range(runs):
    if until and os.path.exists(until):
        os.remove(until)
    start = time.perf_counter()
    process = run(command)
    if until:
        while not os.path.exists(until) and process.poll() is None:
            time.sleep(0.001)
        walls.append((time.perf_counter() - start) * 1000)
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
        process.wait()
        continue
    _, _, usage = os.wait4(process.pid, 0)
    walls.append((time.perf_counter() - start) * 1000)
    process.returncode = 0  # reaped above
    cpus.append((usage.ru_utime + usage.ru_stime) * 1000)
if until:
    print("%.1f" % statistics.median(walls))
    sys.exit(0)
with tempfile.NamedTemporaryFile("r") as peak:
    for _ in range(runs):
        run(["/usr/bin/time", "-f", "%M", "-o", peak.name] + command).wait()
        peak.seek(0)
        peaks.append(int(peak.read().split()[-1]) / 1024)
print("%.1f %.1f %.1f" % (statistics.median(walls), statistics.median(cpus),
                          statistics.median(peaks)))
