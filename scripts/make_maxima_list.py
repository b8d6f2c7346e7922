#!/usr/bin/env python3
"""Writes resources/maxima.txt, the Maxima function list with one line of
help per signature ("name (arguments) first sentence"), from the info files
of the installed Maxima (Debian maxima-doc). Run it again after a Maxima
upgrade: python3 scripts/make_maxima_list.py [info directory]"""
import glob, gzip, os, re, sys

info = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/info"
out = os.path.join(os.path.dirname(__file__), "..", "resources", "maxima.txt")

def lines():
    files = sorted(glob.glob(os.path.join(info, "maxima.info-*")),
                   key=lambda f: int(re.search(r"info-(\d+)", f).group(1)))
    for f in files:
        opener = gzip.open if f.endswith(".gz") else open
        with opener(f, "rt", encoding="utf-8", errors="replace") as text:
            for line in text:
                yield line.rstrip("\n")

def clean(text):
    return re.sub(r"\s+", " ", text.replace("<", "").replace(">", "").replace("'", "")).strip()

entries = {}
all_lines = list(lines())
i = 0
while i < len(all_lines):
    m = re.match(r" -- Function: (\S+)(.*)$", all_lines[i])
    if not m:
        i += 1
        continue
    name, rest = m.group(1), m.group(2).strip()
    signatures = [rest] if rest else []
    j = i + 1
    while j < len(all_lines) and re.match(r" -- Function: ", all_lines[j]):
        j += 1
    # Signatures on indented lines right after a bare definition line.
    while not rest and j < len(all_lines) and re.match(r"\s{9,}\S", all_lines[j]) \
            and all_lines[j].strip().startswith(name):
        signatures.append(all_lines[j].strip()[len(name):].strip())
        j += 1
    words = []
    while j < len(all_lines) and (all_lines[j].strip() == "" and not words
                                  or all_lines[j].startswith("     ")):
        if all_lines[j].startswith("          "):
            break
        words.append(all_lines[j].strip())
        j += 1
    text = clean(" ".join(words))
    sentence = re.split(r"(?<=\.)\s", text, maxsplit=1)[0] if text else ""
    if len(sentence) > 110:
        sentence = sentence[:107].rsplit(" ", 1)[0] + " ..."
    for s in signatures or [""]:
        line = f"{name} {clean(s)}".strip()
        if sentence:
            line += " " + sentence
        entries.setdefault(name, [])
        if line not in entries[name]:
            entries[name].append(line)
    i += 1

with open(out, "w", encoding="utf-8") as f:
    for name in sorted(entries, key=str.lower):
        for line in entries[name]:
            f.write(line.encode("ascii", "replace").decode() + "\n")
print(f"{sum(len(v) for v in entries.values())} lines for {len(entries)} functions")
