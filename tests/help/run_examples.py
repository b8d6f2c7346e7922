#!/usr/bin/env python3
"""Runs the example lines of every help entry in a fresh Kalix.

An example is a line of four blanks and ">" in resources/help.txt or
resources/overview.txt; the lines of four blanks that follow it are the
output it shows. Each entry's examples run in one fresh program, in an empty
folder, with "askexec" 0 and input on standard input for the builtins that
wait for it. An entry fails when a command reports an error, or prints other
than the output its entry shows.

usage: run_examples.py KALIX RESOURCES [TOPIC...]
"""
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile

MARK = "@@@example@@@"


def entries(path):
    """(topics, [(command lines, [output lines])]) for each entry of a help file.

    A line of four blanks and "$" after an example is a line of the function
    body it begins (typed without the "$")."""
    result = []
    topics, examples = None, []
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            if line.startswith("!"):
                if topics is not None:
                    result.append((topics, examples))
                topics, examples = line[1:], []
            elif line.startswith("#"):
                if topics is not None:
                    result.append((topics, examples))
                topics, examples = None, []
            elif topics is None or line.startswith("//"):
                continue
            elif line.startswith("    >"):
                examples.append(([line[5:]], []))
            elif line.startswith("    $") and examples and not examples[-1][1]:
                examples[-1][0].append(line[5:])
            elif line.startswith("    ") and examples and line.strip():
                examples[-1][1].append(line[4:])
    if topics is not None:
        result.append((topics, examples))
    return result


def run(kalix, commands, stdin_extra):
    work = tempfile.mkdtemp(prefix="kalix-help-")
    try:
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, ".config", "kalix"))
        with open(os.path.join(home, ".config", "kalix", "settings"), "w") as f:
            f.write('askexec="0"\n')
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"), QT_QPA_PLATFORM="offscreen")
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        text = ""
        for lines in commands:
            text += "\n".join(lines) + "\n" + answer(lines[0]) + '"' + MARK + '"\n'
        text += stdin_extra
        done = subprocess.run([kalix], input=text.encode(), cwd=work, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        return done.stdout.decode("utf-8", errors="replace")
    finally:
        shutil.rmtree(work, ignore_errors=True)


# What a builtin that waits reads from standard input after its command.
ANSWERS = {"input(": "2+3\n", "lineinput(": "some text\n", "key(": "\n", "mouse(": "\n",
           "mousedrag(": "\n", "wait(": "\n"}


def answer(command):
    return "".join(text for name, text in ANSWERS.items()
                   if re.search(r"(?<![A-Za-z0-9_])" + re.escape(name), command))


ERRORS = ("Error in", "not found!", "not allowed", "Syntax error", "Wrong arguments")


def check(kalix, topics, examples):
    commands = [c for c, _ in examples]
    # Builtins that wait read a few lines and keys from standard input.
    output = run(kalix, commands, "\n" * 4)
    parts = output.split(MARK + "\n")
    problems = []
    for k, (lines, shown) in enumerate(examples):
        command = lines[0]
        printed = parts[k] if k < len(parts) else ""
        if any(e in printed for e in ERRORS):
            problems.append(f"  >{command}\n    printed: {printed.strip()[:400]}")
        elif shown:
            got = [l.rstrip() for l in printed.rstrip("\n").split("\n")] if printed.strip() else []
            want = [l.rstrip() for l in shown]
            if got != want:
                problems.append(f"  >{command}\n    shows:   {want}\n    printed: {got}")
    return problems


def main():
    kalix, resources = sys.argv[1], sys.argv[2]
    only = set(sys.argv[3:])
    work = [(topics, examples)
            for name in ("help.txt", "overview.txt")
            for topics, examples in entries(os.path.join(resources, name))
            if examples and (not only or topics in only)]
    with concurrent.futures.ThreadPoolExecutor(max_workers=min(8, os.cpu_count() or 2)) as pool:
        results = list(pool.map(lambda entry: check(kalix, *entry), work))
    count = len(work)
    failed = 0
    for (topics, _), problems in zip(work, results):
        if problems:
            failed += 1
            print(f"!{topics}")
            print("\n".join(problems))
    print(f"{count - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
