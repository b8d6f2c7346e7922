#!/usr/bin/env python3
"""Every builtin that the program's `list` names, called as f, f(),
f(""), f(1e300), f(-1), f([]) and f(NAN), each builtin in a run of its own
fed from a pipe, as the fuzzer runs programs: no crash, no sanitizer
report, no hang, and the lines after the calls run. A builtin added later
is tried the same way without a change here.

From a pipe nobody answers: the builtins that would start programs, Python,
Maxima or libraries are refused, those that read keys or lines read the
pipe. The waits that only Escape ends (wait(), wait(1e300)) get Ctrl-C as
the user would press it, once the run has taken `--timeout` seconds.

    sweep.py --kalix KALIX [--jobs J] [--timeout SECONDS] [--every N] [--only NAME...]

Exit status 1 when a builtin fails, with its program and report.
"""

import argparse
import concurrent.futures
import os
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from catalog import listed_names  # noqa: E402
from runner import Runner  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
FORMS = ["%s", "%s()", '%s("")', "%s(1e300)", "%s(-1)", "%s([])", "%s(NAN)"]
END = "sweep-end"


def program(name):
    """The calls, then the end marker: three times, since a builtin that
    reads lines takes the lines after it as its input."""
    lines = [form % name for form in FORMS] + ['"%s"' % END] * 3
    return ("\n".join(lines) + "\n").encode("latin-1")


def judge(name, result):
    """None when the run went well, else what went wrong."""
    if result.failed:
        return "%s: %s\n%s" % (result.kind, result.signature, result.detail[-4000:])
    if result.returncode != 0:
        return "exit status %s" % result.returncode
    if END not in result.output:
        return "the lines after the calls did not run; it printed:\n" + result.output[-2000:]
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--kalix", required=True)
    parser.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1))
    parser.add_argument("--timeout", type=float, default=10,
                        help="seconds before Ctrl-C is pressed, once a second")
    parser.add_argument("--every", type=int, default=1,
                        help="every N-th builtin in name order, the first among them")
    parser.add_argument("--only", nargs="*", help="these builtins only")
    arguments = parser.parse_args()
    runner = Runner(arguments.kalix, ROOT, timeout=arguments.timeout)
    with tempfile.TemporaryDirectory(prefix="kalix-sweep-") as home:
        os.makedirs(os.path.join(home, "config"))
        names, _ = listed_names(runner.kalix, runner.environment(home))
    if not names:
        print("sweep: the program listed no builtins")
        return 1
    if arguments.only:
        names = [n for n in names if n in arguments.only]
    names = sorted(set(names))[::max(1, arguments.every)]

    def attempt(name):
        return name, runner.run(program(name), keep_output=True)

    failures, slow = [], []
    with concurrent.futures.ThreadPoolExecutor(arguments.jobs) as pool:
        for name, result in pool.map(attempt, names):
            why = judge(name, result)
            if why:
                failures.append(name)
                print("sweep: %s FAILED: %s\n  program:\n%s" %
                      (name, why, program(name).decode("latin-1")), flush=True)
            elif result.interrupted:
                slow.append("%s (%d Ctrl-C)" % (name, result.interrupted))
    print("sweep: %d builtins, each called %d ways; %d failed%s; ended by Ctrl-C: %s" %
          (len(names), len(FORMS), len(failures),
           " (%s)" % " ".join(failures) if failures else "", ", ".join(slow) or "none"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
