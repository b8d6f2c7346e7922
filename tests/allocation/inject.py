#!/usr/bin/env python3
"""Runs transcript tests with one allocation failing: for each transcript
the allocations of a clean run are counted, then the run is repeated with
the allocation numbered at each of `--points` places failing: half of them
spread over the whole run, half over the transcript's own part (after the
allocations of a start with no input). Kalix may report "Out of Memory!" or stop with a message;
it must not crash (a signal, or the crash guard's report). Exit status 1
when a run crashed.

    inject.py --kalix KALIX --preload LIBRARY [--points N] [--jobs J] TRANSCRIPT...
"""

import argparse
import concurrent.futures
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz"))

from runner import classify  # noqa: E402


def run(arguments, transcript, failing, home, stdin_path=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("KALIX_")}
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               LD_PRELOAD=arguments.preload)
    count = os.path.join(home, "count")
    if failing:
        env["KALIX_FAIL_ALLOCATION"] = str(failing)
    else:
        env["KALIX_COUNT_ALLOCATIONS"] = count
    # A transcript that writes files runs in a directory of its own.
    with open(transcript, "rb") as f:
        own = b"\n// runs in a temporary directory\n" in b"\n" + f.read(4096)
    directory = os.path.join(home, "work") if own else os.path.dirname(transcript)
    os.makedirs(directory, exist_ok=True)
    with open(stdin_path or transcript, "rb") as stdin:
        process = subprocess.Popen([arguments.kalix], stdin=stdin, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, cwd=directory, env=env,
                                   start_new_session=True)
        try:
            _, stderr = process.communicate(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return "hang", ""
        finally:
            # What the run started (Maxima, a shell) goes with it.
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
    result = classify(process.returncode, stderr.decode("latin-1"), "")
    if not failing:
        with open(count) as f:
            return result.kind, int(f.read())
    return result.kind, result.signature


def spread(start, end, count):
    return {start + max(1, (end - start) * (2 * i + 1) // (2 * count)) for i in range(count)}


def points(start_up, total, count):
    whole = count // 2
    return sorted(spread(0, total, whole) | spread(start_up, total, count - whole))


def settings(transcript):
    """The transcript's "// setting NAME=VALUE" lines, as its test gives them."""
    with open(transcript, encoding="utf-8", errors="replace") as f:
        found = re.findall(r"^// setting ([A-Za-z0-9_]+)[ =](.*)$", f.read(), re.M)
    return "".join('%s="%s"\n' % entry for entry in found)


def runnable(transcript):
    """False for a transcript that needs Maxima where it is not installed."""
    with open(transcript, "rb") as f:
        return not f.read().startswith(b"// needs maxima") or shutil.which("maxima")


def check(arguments, transcript):
    if not runnable(transcript):
        return []
    with tempfile.TemporaryDirectory(prefix="kalix-allocation-") as home:
        os.makedirs(os.path.join(home, "config", "kalix"))
        with open(os.path.join(home, "config", "kalix", "settings"), "w") as f:
            f.write(settings(transcript))
        kind, total = run(arguments, transcript, 0, home)
        if kind != "ok":
            return [(transcript, 0, kind)]
        kind, start_up = run(arguments, transcript, 0, home, os.devnull)
        if kind != "ok":
            return [(transcript, 0, kind)]
        found = []
        for n in points(min(start_up, total), total, arguments.points):
            kind, signature = run(arguments, transcript, n, home)
            if kind != "ok":
                found.append((transcript, n, "%s %s" % (kind, signature)))
        return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kalix", required=True)
    parser.add_argument("--preload", required=True)
    parser.add_argument("--points", type=int, default=8)
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("transcripts", nargs="+")
    arguments = parser.parse_args()
    arguments.kalix = os.path.abspath(arguments.kalix)
    arguments.preload = os.path.abspath(arguments.preload)
    transcripts = [os.path.abspath(t) for t in arguments.transcripts]
    crashes = []
    with concurrent.futures.ThreadPoolExecutor(arguments.jobs) as pool:
        for found in pool.map(lambda t: check(arguments, t), transcripts):
            for transcript, n, what in found:
                print("%s: allocation %d failing: %s" % (transcript, n, what))
            crashes += found
    print("allocation failures: %d transcripts, %d points each, %d crashes" %
          (len(transcripts), arguments.points, len(crashes)))
    return 1 if crashes else 0


if __name__ == "__main__":
    sys.exit(main())
