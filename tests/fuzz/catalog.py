"""What the program offers to the generator: its builtins with their
argument counts and its commands.

The names come from the program itself (the command `list`), the argument
counts from the rows of the builtin table in the sources
(`{"name", count, 0, handler}`). A family added to the table joins the
generator without a change here; a builtin whose rows are not found is
called with 0 to 3 arguments. Names that would wait for the user, start
processes or reach the network are left out (DENIED).
"""

import os
import re
import subprocess

# Builtins and commands the generator never uses: they wait for a key or
# the mouse, run other programs or engines, reach the network, or work on
# files outside the run's own folder.
DENIED = re.compile(
    r"^(exec|system|shell|url|wait|key|testkey|getkey|mouse|input|lineinput|"
    r"sleep|browse|openurl|maxima|mxm|yacas|convertmxm|python|py[a-z]|tcc|dll|closedll|"
    r"changedir|cd$|fileremove|filecopy|makedir|start$|kalixhome|userdir|userhome|"
    r"addmenu|submenu)")


ENGINE = re.compile(r"^(maxima|mxm|convertmxm|python|py[a-z].*)$")


def engine_word(word):
    """Whether a denied name only talks to Maxima or Python (the fuzzer's
    engine inputs may use it)."""
    return bool(ENGINE.match(word))


def denied_words(text):
    """The denied names a program text uses (mutated transcripts that use
    them are left out)."""
    return sorted({w for w in re.findall(r"[A-Za-z_][A-Za-z_0-9]*", text) if DENIED.match(w)})

ROW = re.compile(r'\{"([A-Za-z_][A-Za-z0-9_$]*)",\s*(-?\d+),\s*0,')


def source_arities(root):
    """{name: set of argument counts} from the builtin rows in the sources."""
    arities = {}
    for folder in ("builtins", "interpreter", "graphics", "engines", "notebook"):
        directory = os.path.join(root, folder)
        if not os.path.isdir(directory):
            continue
        for name in sorted(os.listdir(directory)):
            if not name.endswith(".cpp"):
                continue
            with open(os.path.join(directory, name), encoding="latin-1") as f:
                for builtin, count in ROW.findall(f.read()):
                    arities.setdefault(builtin, set()).add(int(count))
    return arities


def listed_names(kalix, environment):
    """(builtins, commands) as the program's `list` prints them."""
    try:
        run = subprocess.run([kalix], input=b"list\n", capture_output=True, timeout=60,
                             env=environment)
    except (OSError, subprocess.TimeoutExpired):
        return [], []
    text = run.stdout.decode("latin-1")
    builtins, commands, part = [], [], None
    for line in text.splitlines():
        if "*** Functions" in line:
            part = builtins
        elif "*** Commands" in line:
            part = commands
        elif part is not None:
            part.extend(line.split())
    return builtins, commands


class Catalog:
    def __init__(self, builtins, commands):
        # builtins: {name: sorted list of argument counts, -1 for any}
        self.builtins = {n: a for n, a in builtins.items() if not DENIED.match(n)}
        self.commands = [c for c in commands if not DENIED.match(c)]
        self.builtin_names = sorted(self.builtins)

    @classmethod
    def discover(cls, root, kalix, environment):
        arities = source_arities(root)
        names, commands = listed_names(kalix, environment)
        builtins = {}
        for name in set(names) | set(arities):
            builtins[name] = sorted(arities.get(name, {-1}))
        return cls(builtins, commands)
