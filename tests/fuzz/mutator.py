"""Mutation of the transcript tests' inputs: lines deleted, doubled,
swapped or spliced in from other transcripts; numbers replaced by
interesting ones; names replaced by builtins; tokens inserted; brackets
changed; characters (control bytes among them) inserted or removed.
The transcripts that talk to Maxima or Python are a set of their own.
Damaged notebooks: the sample notebooks with lines and bytes changed.
"""

import os
import re

from catalog import denied_words, engine_word
from generator import INTERESTING_NUMBERS

TOKENS = ["(", ")", "[", "]", "{", "}", "{{", "}}", ",", ";", ":", "~", "'", "\"", "''", "..",
          "...", "//", "/*", "*/", "##", "=", ":=", "==", "+", "-", "*", "/", "^", "|", "_",
          "&&", "||", "!", "%", "\xb0", "@", "$", "#", "\\", " ", "\t", "\x01", "\x02", "\x03",
          "\xff", "endfunction", "end", "endif", "function ", "return ", "for ", "if ", "else",
          "break", "continue", "repeat", "loop ", "to ", "step ", "map ", "then", "I", "NAN"]

NUMBER = re.compile(r"(?<![A-Za-z_0-9.])\d+(\.\d*)?(e[+-]?\d+)?")
WORD = re.compile(r"[A-Za-z_][A-Za-z_0-9]*")


# Engine lines the fuzzer leaves out: Python's own file and process access,
# and the faults the engine transcripts plant on purpose.
UNSAFE_ENGINE_LINE = re.compile(r"\b(os|ctypes|subprocess|shutil|sys|open|eval|exec)\b")


def load_transcripts(root, engines=False):
    """[(path, lines)] of the transcript inputs and the program files they
    load, without those that use denied names (engines, processes, files
    elsewhere). With `engines`, those whose only denied names are Maxima's
    and Python's instead, without unsafe lines and planted crashes."""
    found = []
    base = os.path.join(root, "tests", "lang")
    for directory, _, files in os.walk(base):
        for name in sorted(files):
            if name.endswith((".k", ".kx")):
                path = os.path.join(directory, name)
                with open(path, encoding="latin-1") as f:
                    text = f.read()
                words = denied_words(text)
                if not engines:
                    if not words:
                        found.append((path, text.split("\n")))
                elif words and all(map(engine_word, words)) and "crash" not in name:
                    lines = [l for l in text.split("\n") if not UNSAFE_ENGINE_LINE.search(l)]
                    found.append((path, lines))
    found.sort()
    return found


def load_notebooks(root):
    """[(path, lines)] of the sample notebooks (bytes as latin-1 text)."""
    base = os.path.join(root, "tests", "notebooks")
    found = []
    for name in sorted(os.listdir(base)):
        if name.endswith(".kn"):
            with open(os.path.join(base, name), "rb") as f:
                found.append((os.path.join(base, name), f.read().decode("latin-1").split("\n")))
    return found


# The starts that give a notebook line its kind, and odd ones.
LINE_STARTS = [">", "$", "%", "% ", "%%", "%% ", " %image% ", " %image% /", " %image% ../x.png",
               "\xef\xbb\xbf", "\r", "\x00", ">>", "$$", " ", ""]


class NotebookMutator:
    """A sample notebook with lines deleted, doubled, swapped, cut, joined
    or given another start, and bytes replaced, inserted or removed."""

    def __init__(self, notebooks, rng):
        self.notebooks = notebooks
        self.r = rng

    def mutate_bytes(self, line):
        at = self.r.randint(0, len(line))
        form = self.r.randrange(3)
        if form == 0:
            return line[:at] + chr(self.r.randrange(256)) + line[at:]
        if form == 1:
            return line[:at] + line[at + self.r.randint(1, 4):]
        return line[:at] + chr(self.r.randrange(256)) + line[at + 1:]

    def mutate(self):
        """(notebook lines, path of the notebook it came from)."""
        path, original = self.r.choice(self.notebooks)
        lines = list(original)
        for _ in range(self.r.randint(1, 8)):
            if not lines:
                lines = [""]
            i = self.r.randrange(len(lines))
            form = self.r.randrange(8)
            if form == 0:
                del lines[i]
            elif form == 1:
                lines.insert(i, lines[self.r.randrange(len(lines))])
            elif form == 2:
                j = self.r.randrange(len(lines))
                lines[i], lines[j] = lines[j], lines[i]
            elif form == 3:
                lines[i] = lines[i][:self.r.randint(0, len(lines[i]))]
            elif form == 4 and i + 1 < len(lines):
                lines[i:i + 2] = [lines[i] + lines[i + 1]]
            elif form == 5:
                start = self.r.choice(LINE_STARTS)
                lines[i] = start + lines[i].lstrip(">$% ")
            else:
                lines[i] = self.mutate_bytes(lines[i])
        if lines == original:
            lines.append(self.mutate_bytes(""))
        return lines, path


class Mutator:
    def __init__(self, transcripts, catalog, rng):
        self.transcripts = transcripts
        self.catalog = catalog
        self.r = rng

    def pick(self, items):
        return self.r.choice(items)

    def mutate_line(self, line):
        form = self.r.randrange(9)
        if form == 0:
            matches = list(NUMBER.finditer(line))
            if matches:
                m = self.pick(matches)
                return line[:m.start()] + self.pick(INTERESTING_NUMBERS) + line[m.end():]
        if form == 1:
            matches = list(WORD.finditer(line))
            names = self.catalog.builtin_names or ["sin"]
            if matches:
                m = self.pick(matches)
                return line[:m.start()] + self.pick(names) + line[m.end():]
        if form == 2 or form == 3:
            at = self.r.randint(0, len(line))
            return line[:at] + self.pick(TOKENS) + line[at:]
        if form == 4 and line:
            a = self.r.randrange(len(line))
            b = min(len(line), a + self.r.randint(1, 8))
            return line[:a] + line[b:]
        if form == 5 and line:
            a = self.r.randrange(len(line))
            b = min(len(line), a + self.r.randint(1, 12))
            return line[:b] + line[a:b] + line[b:]
        if form == 6:
            swaps = {"(": "[", "[": "(", ")": "]", "]": ")", "{": "(", "}": ")", ",": ";",
                     ";": ",", "+": "-", "*": "/", "~": "", "=": "==", "<": ">"}
            positions = [i for i, c in enumerate(line) if c in swaps]
            if positions:
                i = self.pick(positions)
                return line[:i] + swaps[line[i]] + line[i + 1:]
        if form == 7 and line:
            return line[:self.r.randrange(len(line))]
        at = self.r.randint(0, len(line))
        return line[:at] + chr(self.r.randint(1, 255)) + line[at:]

    def mutate(self):
        """(program lines, path of the transcript it came from)."""
        path, lines = self.pick(self.transcripts)
        lines = [l for l in lines if not l.startswith("// status")]
        for _ in range(self.r.randint(1, 6)):
            form = self.r.randrange(8)
            if not lines:
                lines = [""]
            i = self.r.randrange(len(lines))
            if form < 4:
                lines[i] = self.mutate_line(lines[i])
            elif form == 4:
                del lines[i]
            elif form == 5:
                lines.insert(i, lines[self.r.randrange(len(lines))])
            elif form == 6:
                j = self.r.randrange(len(lines))
                lines[i], lines[j] = lines[j], lines[i]
            else:
                _, other = self.pick(self.transcripts)
                if other:
                    a = self.r.randrange(len(other))
                    lines[i:i] = other[a:a + self.r.randint(1, 5)]
        return lines, path
