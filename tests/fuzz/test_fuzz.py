"""The fuzzer's own parts: reports are classified by kind and place,
minimization keeps a failure while it shrinks the input, an input number
always gives the same program, and notebooks and engine inputs reach the
program as they should."""

import os
import random
import signal
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from catalog import Catalog, source_arities  # noqa: E402
from generator import Generator  # noqa: E402
from minimize import ddmin, encode, minimize  # noqa: E402
from mutator import NotebookMutator, load_notebooks, load_transcripts  # noqa: E402
from runner import Runner, classify  # noqa: E402

ROOT = "/src/kalix"
# The kalix program under test (the build that runs this test), if any.
KALIX = os.environ.get("KALIX", "")

ASAN_REPORT = """=================================================================
==123==ERROR: AddressSanitizer: heap-buffer-overflow on address 0x602 at pc 0x55
READ of size 8 at 0x602 thread T1
    #0 0x55 in memcpy (/lib/libasan.so+0x1)
    #1 0x56 in printValue(header*) /src/kalix/interpreter/printing.cpp:120
    #2 0x57 in executeNextStatement() /src/kalix/interpreter/main_loop.cpp:40
"""
UBSAN_REPORT = ("/src/kalix/builtins/math.cpp:77:12: runtime error: 1e+20 is outside the range "
                "of representable values of type 'int'\n    #0 0x5 in lowBits(double) "
                "/src/kalix/builtins/math.cpp:77\n")
CRASH_REPORT = ("Sorry, Kalix crashed (Code b, in Code)!\n\nPlease help me to remove this bug and\n"
                "report the crash with sufficient details to\n\nThank you!\n")
LEAK_REPORT = """==9==ERROR: LeakSanitizer: detected memory leaks
Direct leak of 16 byte(s) in 1 object(s) allocated from:
    #0 0x1 in malloc (/lib/libasan.so+0x1)
    #1 0x2 in readVector /src/kalix/interpreter/control_flow.cpp:350
"""


class Classification(unittest.TestCase):
    def test_reports_by_kind_and_place(self):
        cases = [
            (1, ASAN_REPORT, "sanitizer",
             "heap-buffer-overflow printValue(header*) interpreter/printing.cpp:120"),
            (1, UBSAN_REPORT, "sanitizer",
             "ub builtins/math.cpp:77 # is outside the range of representable values of type #"),
            (23, LEAK_REPORT, "leak",
             "detected readVector interpreter/control_flow.cpp:350"),
            (-11, "", "crash", "signal 11"),
            (139, CRASH_REPORT, "crash", "signal 11"),
            (134, "terminate called after throwing an instance of 'x'\n", "crash", "signal 6"),
            (1, CRASH_REPORT.replace("Code b", "Code 7"), "crash", "signal 7"),
            (130, "", "ok", ""),
            (0, "", "ok", ""),
            (2, "Usage: kalix\n", "ok", ""),
        ]
        for code, report, kind, signature in cases:
            result = classify(code, report, ROOT)
            self.assertEqual(result.kind, kind, report)
            self.assertEqual(result.signature, signature, report)

    def test_values_in_undefined_behaviour_reports_do_not_change_the_signature(self):
        other = UBSAN_REPORT.replace("1e+20", "-3.5e+300")
        self.assertEqual(classify(1, UBSAN_REPORT, ROOT).signature,
                         classify(1, other, ROOT).signature)


def wait_for(check, what):
    """Polls check() until it holds (a minute at most: the test fails)."""
    end = time.monotonic() + 60
    while not check():
        if time.monotonic() > end:
            raise AssertionError("waited in vain for " + what)
        time.sleep(0.01)


class HangsAreJudgedByCtrlC(unittest.TestCase):
    """A run past the time bound gets Ctrl-C: one that ends on it was slow,
    one that ignores it hangs."""

    def program(self, directory, trap):
        """A stand-in that makes the file "<program>.ready" once its trap is
        set, then loops."""
        path = os.path.join(directory, "program")
        with open(path, "w") as f:
            f.write("#!/bin/sh\ntrap '%s' INT\n: > \"$0.ready\"\nwhile :; do sleep 0.05; done\n"
                    % trap)
        os.chmod(path, 0o755)
        return path

    def run_when_ready(self, runner, path):
        """The stand-in's run; the time bound (already past) counts once its
        trap is set."""
        if os.path.exists(path + ".ready"):
            os.remove(path + ".ready")
        return runner.run(b"", on_start=lambda process: wait_for(
            lambda: os.path.exists(path + ".ready"), "the stand-in's trap"))

    def test_slow_and_hanging(self):
        with tempfile.TemporaryDirectory() as directory:
            # The end on Ctrl-C may take long on a busy machine: the next
            # Ctrl-C comes only after a minute.
            path = self.program(directory, "exit 0")
            result = self.run_when_ready(
                Runner(path, ROOT, timeout=0.3, interrupts=3, interval=60), path)
            self.assertFalse(result.failed)
            self.assertEqual(result.interrupted, 1)
            path = self.program(directory, "")
            result = self.run_when_ready(Runner(path, ROOT, timeout=0.3, interrupts=2), path)
            self.assertEqual(result.kind, "hang")


class PlantedFault(unittest.TestCase):
    """A fault in Kalix (the build this test belongs to) is a finding even
    though the crash guard takes it and ends the program in order."""

    @unittest.skipUnless(KALIX, "no kalix named")
    def test_a_segv_taken_by_the_crash_guard_is_a_crash(self):
        root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
        runner = Runner(KALIX, root, timeout=20)

        def plant(process):
            # Past the start-up: the program made "ready" in its folder.
            ready = "/proc/%d/cwd/ready" % process.pid
            wait_for(lambda: os.path.exists(ready), "the program's loop")
            os.kill(process.pid, signal.SIGSEGV)

        result = runner.run(b'open("ready", "w"); close(); x=0; loop 1 to 1e9; x=x+1; end;\n',
                            on_start=plant)
        self.assertEqual((result.kind, result.signature), ("crash", "signal 11"), result.detail)
        self.assertIn("Sorry, Kalix crashed", result.detail)


class NotebooksAndEngines(unittest.TestCase):
    SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

    def test_a_notebook_is_run_by_its_name_and_engines_get_their_settings(self):
        # A stand-in that dies of SEGV when it was given a notebook holding
        # "boom", and of ABRT when its profile lets programs start unasked.
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "program")
            with open(path, "w") as f:
                f.write("#!/bin/sh\n"
                        "if [ \"$1\" = -run ] && grep -q boom \"$2\"; then kill -SEGV $$; fi\n"
                        "if grep -q 'askexec=\"0\"' \"$HOME/.kalix.profile\"; then kill -ABRT $$; fi\n"
                        "cat >/dev/null\n")
            os.chmod(path, 0o755)
            runner = Runner(path, self.SOURCE, timeout=60)
            cases = [
                (b">boom\n", {"notebook": True}, "signal 11"),
                (b">boom\n", {}, ""),
                (b"x\n", {"engines": True}, "signal 6"),
                (b">calm\n", {"notebook": True}, ""),
            ]
            for program, options, signature in cases:
                self.assertEqual(runner.run(program, **options).signature, signature, options)

    def test_engine_inputs_leave_out_planted_faults_and_the_system(self):
        found = load_transcripts(self.SOURCE, engines=True)
        names = [os.path.basename(path) for path, _ in found]
        self.assertIn("python_values.k", names)
        self.assertIn("symbolic.k", names)
        self.assertFalse([n for n in names if "crash" in n])
        for path, lines in found:
            for line in lines:
                self.assertNotRegex(line, r"\b(os|ctypes)\b", path)
        plain = [os.path.basename(path) for path, _ in load_transcripts(self.SOURCE)]
        self.assertNotIn("python_values.k", plain)

    def test_damaged_notebooks_are_the_same_for_the_same_number(self):
        notebooks = load_notebooks(self.SOURCE)
        self.assertTrue(notebooks)
        made = [NotebookMutator(notebooks, random.Random("1:%d" % i)).mutate() for i in range(30)]
        again = [NotebookMutator(notebooks, random.Random("1:%d" % i)).mutate() for i in range(30)]
        self.assertEqual(made, again)
        originals = dict(notebooks)
        self.assertTrue(all(lines != originals[path] for lines, path in made))

    @unittest.skipUnless(KALIX, "no kalix named")
    def test_the_program_runs_a_notebook_and_talks_to_the_stand_in_maxima(self):
        runner = Runner(KALIX, self.SOURCE, timeout=20)
        result = runner.run(encode([">x=2", ">x+1", "% comment", " %image% /", ">"]),
                            notebook=True, engines=True)
        self.assertFalse(result.failed, result.detail)
        result = runner.run(encode([":integrate(x,x)", "y &= x^2", "y(2)"]), engines=True)
        self.assertFalse(result.failed, result.detail)


class Minimization(unittest.TestCase):
    def test_keeps_what_the_failure_needs(self):
        lines = ["a=1", "b=2", "x=[1,2]", "c=3", "x[5]", "d=4", "e=5"]
        fails = lambda candidate: "x=[1,2]" in candidate and "x[5]" in candidate
        self.assertEqual(ddmin(lines, fails, float("inf")), ["x=[1,2]", "x[5]"])

    def test_through_the_runner_keeping_the_signature(self):
        # A stand-in program that dies of a signal when its input holds both
        # "x=[1,2]" and "x[5]", and of another one on "other" alone.
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "program")
            with open(path, "w") as f:
                f.write("#!/bin/sh\ninput=$(cat)\n"
                        "case \"$input\" in *other*) kill -TERM $$;; esac\n"
                        "case \"$input\" in *'x=[1,2]'*'x[5]'*) kill -SEGV $$;; esac\n")
            os.chmod(path, 0o755)
            runner = Runner(path, ROOT, timeout=60)
            lines = ["a=1", "x=[1,2]", "other", "x[5]", "b=2"]
            self.assertEqual(runner.run(b"other\n").signature, "signal 15")
            self.assertEqual(minimize(lines, runner, "signal 11"), ["x=[1,2]", "x[5]"])

    def test_characters(self):
        text = list("y = 1 + bin(10, 1e17) * 2")
        fails = lambda chars: "bin(10,1e17)" in "".join(chars).replace(" ", "")
        self.assertEqual("".join(ddmin(text, fails, float("inf"))), "bin(10,1e17)")


class Generation(unittest.TestCase):
    def catalog(self):
        return Catalog({"sin": [1], "bin": [2], "newbuiltin": [-1], "execute": [1]},
                       ["listvar", "errors", "exec"])

    def test_same_number_same_program(self):
        first = Generator(self.catalog(), random.Random("1:7")).program()
        second = Generator(self.catalog(), random.Random("1:7")).program()
        self.assertEqual(first, second)

    def test_builtins_join_from_the_catalog(self):
        catalog = self.catalog()
        self.assertNotIn("execute", catalog.builtins)  # starts programs
        self.assertNotIn("exec", catalog.commands)
        text = "\n".join(Generator(catalog, random.Random(i)).program() and "\n".join(
            Generator(catalog, random.Random(i)).program()) for i in range(40))
        self.assertIn("newbuiltin(", text)
        self.assertIn("bin(", text)

    def test_argument_counts_come_from_the_table_rows(self):
        root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
        arities = source_arities(root)
        self.assertEqual(arities.get("bin"), {2})
        self.assertEqual(arities.get("round"), {1, 2})


if __name__ == "__main__":
    unittest.main()
