#!/usr/bin/env python3
"""Kalix's fuzzer: generated programs and mutated transcript inputs fed to
the sanitizer build, mutated transcripts that talk to Maxima (the tests'
stand-in) and Python, and damaged notebooks run by "-run", with a time and
memory bound per run; what fails is minimized and kept.

    fuzz.py run [--count N | --minutes M] [--seed S] [--jobs J] ...
    fuzz.py replay FILE... [--files DIR] [--engines]   run files and say how each ends
    fuzz.py minimize FILE [--files DIR] [--engines]    shrink a failing file, keeping its failure
    fuzz.py show INDEX [--seed S]   print the input of that number

Input number i of seed S is always the same program, whatever the number
of jobs. Findings (the minimized program, the original and the report) go
to --out, by default "fuzz-findings" beside the kalix binary. Exit status 1
when something was found. A file ending in ".kn" is replayed as a notebook
(with the engines); --engines gives a program the engines.
"""

import argparse
import concurrent.futures
import hashlib
import os
import random
import re
import sys
import threading
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from catalog import Catalog  # noqa: E402
from generator import Generator  # noqa: E402
from minimize import encode, minimize  # noqa: E402
from mutator import Mutator, NotebookMutator, load_notebooks, load_transcripts  # noqa: E402
from runner import Runner  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
DEFAULT_KALIX = os.path.join(ROOT, "build-sanitize", "kalix")


class Case:
    """One input: its lines, the folder copied as files/ for what it loads,
    whether it is a notebook (run by "-run") and whether it has the engines."""

    def __init__(self, lines, files=None, notebook=False, engines=False):
        self.lines = lines
        self.files = files
        self.notebook = notebook
        self.engines = engines or notebook

    def options(self):
        return {"notebook": self.notebook, "engines": self.engines}

    def kind(self):
        return "notebook" if self.notebook else "engines" if self.engines else "program"


class Inputs:
    """The input of each number: a generated program or a mutated
    transcript (with the transcript's folder for the files it loads), and
    for one in `other_share` a mutated engine transcript or a damaged
    notebook."""

    def __init__(self, catalog, seed, other_share=0.3):
        self.catalog = catalog
        self.seed = seed
        self.other_share = other_share
        self.transcripts = load_transcripts(ROOT)
        self.engine_transcripts = load_transcripts(ROOT, engines=True)
        self.notebooks = load_notebooks(ROOT)

    def make(self, index):
        # The choice of kind draws from a stream of its own, so the
        # programs and transcripts keep their numbers.
        kind = random.Random("kind:%d:%d" % (self.seed, index)).random()
        rng = random.Random("%d:%d" % (self.seed, index))
        if kind < self.other_share / 2 and self.engine_transcripts:
            lines, path = Mutator(self.engine_transcripts, self.catalog, rng).mutate()
            return Case(lines, os.path.join(os.path.dirname(path), "files"), engines=True)
        if kind < self.other_share and self.notebooks:
            return Case(NotebookMutator(self.notebooks, rng).mutate()[0], notebook=True)
        if self.transcripts and rng.random() < 0.4:
            lines, path = Mutator(self.transcripts, self.catalog, rng).mutate()
            return Case(lines, os.path.join(os.path.dirname(path), "files"))
        return Case(Generator(self.catalog, rng).program())


def slug(signature):
    text = re.sub(r"[^A-Za-z0-9]+", "-", signature).strip("-")[:60]
    return "%s-%s" % (text, hashlib.sha1(signature.encode()).hexdigest()[:8])


def make_runner(arguments):
    return Runner(arguments.kalix, ROOT, timeout=arguments.timeout, memory_mb=arguments.memory)


def make_catalog(arguments):
    runner = make_runner(arguments)
    home = os.path.join(os.path.dirname(os.path.abspath(arguments.kalix)), "fuzz-home")
    os.makedirs(os.path.join(home, "config"), exist_ok=True)
    return Catalog.discover(ROOT, runner.kalix, runner.environment(home))


def keep_finding(out, result, case, minimized, origin):
    os.makedirs(out, exist_ok=True)
    name = os.path.join(out, slug(result.signature))
    extension = ".kn" if case.notebook else ".k"
    with open(name + extension, "wb") as f:
        f.write(encode(minimized))
    with open(name + ".orig" + extension, "wb") as f:
        f.write(encode(case.lines))
    with open(name + ".log", "w") as f:
        f.write("%s\n%s (%s)\n%s%s" % (result.signature, origin, case.kind(),
                                       "files: %s\n" % case.files if case.files else "",
                                       result.detail))
    return name + extension


def command_run(arguments):
    catalog = make_catalog(arguments)
    inputs = Inputs(catalog, arguments.seed)
    runner = make_runner(arguments)
    print("fuzz: %d builtins, %d commands, %d transcript inputs, %d with engines, "
          "%d notebooks; seed %d" %
          (len(catalog.builtins), len(catalog.commands), len(inputs.transcripts),
           len(inputs.engine_transcripts), len(inputs.notebooks), arguments.seed))
    started = time.monotonic()
    deadline = started + arguments.minutes * 60 if arguments.minutes else None
    lock = threading.Lock()
    state = {"done": 0, "next": 0, "findings": {}, "slow": []}

    def next_index():
        with lock:
            if arguments.count and state["next"] >= arguments.count:
                return None
            if deadline and time.monotonic() >= deadline:
                return None
            state["next"] += 1
            return state["next"] - 1

    def work():
        while True:
            index = next_index()
            if index is None:
                return
            case = inputs.make(index)
            result = runner.run(encode(case.lines), case.files, **case.options())
            with lock:
                state["done"] += 1
                if result.interrupted and not result.failed:
                    state["slow"].append(index)
                new = result.failed and result.signature not in state["findings"]
                if new:
                    state["findings"][result.signature] = None
            if new:
                print("fuzz: input %d (%s): %s" % (index, case.kind(), result.signature),
                      flush=True)
                minimized = minimize(case.lines, runner, result.signature, case.files,
                                     arguments.minimize_seconds, options=case.options())
                kept = keep_finding(arguments.out, result, case, minimized,
                                    "seed %d input %d" % (arguments.seed, index))
                with lock:
                    state["findings"][result.signature] = kept
                print("fuzz:   kept %s" % kept, flush=True)

    with concurrent.futures.ThreadPoolExecutor(arguments.jobs) as pool:
        for future in [pool.submit(work) for _ in range(arguments.jobs)]:
            future.result()
    seconds = time.monotonic() - started
    slow = sorted(state["slow"])
    print("fuzz: %d inputs in %.0f s, %d findings; %d slow inputs ended by Ctrl-C%s" %
          (state["done"], seconds, len(state["findings"]), len(slow),
           " (%s)" % " ".join(map(str, slow[:20])) if slow else ""))
    for signature, kept in state["findings"].items():
        print("  %s\n    %s" % (signature, kept))
    return 1 if state["findings"] else 0


def file_options(path, arguments):
    notebook = path.endswith(".kn")
    return {"notebook": notebook, "engines": notebook or arguments.engines}


def command_replay(arguments):
    runner = make_runner(arguments)
    failed = 0
    for path in arguments.paths:
        with open(path, "rb") as f:
            result = runner.run(f.read(), arguments.files, **file_options(path, arguments))
        failed += result.failed
        print("%s: %s (%.1f s)" % (path, result if result.failed else "ok", result.seconds))
    return 1 if failed else 0


def command_minimize(arguments):
    runner = make_runner(arguments)
    with open(arguments.file, "rb") as f:
        lines = f.read().decode("latin-1").rstrip("\n").split("\n")
    options = file_options(arguments.file, arguments)
    result = runner.run(encode(lines), arguments.files, **options)
    if not result.failed:
        print("%s does not fail" % arguments.file)
        return 1
    print("signature: %s" % result.signature)
    minimized = minimize(lines, runner, result.signature, arguments.files,
                         arguments.minimize_seconds, print, options)
    sys.stdout.write(encode(minimized).decode("latin-1"))
    return 0


def command_show(arguments):
    inputs = Inputs(make_catalog(arguments), arguments.seed)
    case = inputs.make(arguments.index)
    sys.stdout.buffer.write(encode(case.lines))
    print("// (%s%s)" % (case.kind(), ", files from %s" % case.files if case.files else ""))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--kalix", default=DEFAULT_KALIX, help="the program (sanitizer build)")
    parser.add_argument("--timeout", type=float, default=10, help="seconds per run")
    parser.add_argument("--memory", type=int, default=2048, help="megabytes per run")
    parser.add_argument("--minimize-seconds", type=float, default=300)
    sub = parser.add_subparsers(dest="command", required=True)
    run = sub.add_parser("run")
    run.add_argument("--seed", type=int, default=1)
    run.add_argument("--count", type=int, default=0, help="number of inputs")
    run.add_argument("--minutes", type=float, default=0, help="or a time limit")
    run.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1))
    run.add_argument("--out", default=None)
    replay = sub.add_parser("replay")
    replay.add_argument("paths", nargs="+")
    shrink = sub.add_parser("minimize")
    shrink.add_argument("file")
    for parser_with_files in (replay, shrink):
        parser_with_files.add_argument("--files", default=None,
                                       help="folder copied as files/ (mutated transcripts)")
        parser_with_files.add_argument("--engines", action="store_true",
                                       help="with the stand-in Maxima and Python")
    show = sub.add_parser("show")
    show.add_argument("index", type=int)
    show.add_argument("--seed", type=int, default=1)
    arguments = parser.parse_args()
    if not os.access(arguments.kalix, os.X_OK):
        print("fuzz: no program at %s (build with -DKALIX_SANITIZE=ON)" % arguments.kalix)
        return 2
    if arguments.command == "run":
        if not arguments.count and not arguments.minutes:
            arguments.count = 100
        if arguments.out is None:
            arguments.out = os.path.join(os.path.dirname(os.path.abspath(arguments.kalix)),
                                         "fuzz-findings")
        return command_run(arguments)
    return {"replay": command_replay, "minimize": command_minimize,
            "show": command_show}[arguments.command](arguments)


if __name__ == "__main__":
    sys.exit(main())
