"""Minimization of a failing program: delta debugging over its lines, then
over the characters of each line, keeping only changes after which the
program still fails with the same signature.
"""

import time


def ddmin(items, fails, deadline):
    """The smallest sublist found (by chunks of halving size) that still fails."""
    chunks = 2
    while len(items) >= 2 and time.monotonic() < deadline:
        size = max(1, len(items) // chunks)
        reduced = False
        start = 0
        while start < len(items) and time.monotonic() < deadline:
            candidate = items[:start] + items[start + size:]
            if candidate and fails(candidate):
                items = candidate
                chunks = max(chunks - 1, 2)
                reduced = True
            else:
                start += size
        if not reduced:
            if size == 1:
                break
            chunks = min(chunks * 2, len(items))
    return items


def minimize(lines, runner, signature, files_from=None, budget_seconds=300, log=None,
             options=None):
    """The shortest program lines found that fail with `signature`;
    `options` go to each run (a notebook, the engines)."""
    deadline = time.monotonic() + budget_seconds
    tries = [0]
    if signature == "hang":
        runner = runner.quicker(3)

    def fails(candidate_lines):
        tries[0] += 1
        result = runner.run(encode(candidate_lines), files_from, **(options or {}))
        return result.failed and result.signature == signature

    lines = ddmin(list(lines), fails, deadline)
    for i in range(len(lines)):
        if time.monotonic() >= deadline:
            break
        characters = ddmin(list(lines[i]),
                           lambda chars: fails(lines[:i] + ["".join(chars)] + lines[i + 1:]),
                           deadline)
        lines[i] = "".join(characters)
        if lines[i] == "" and fails(lines[:i] + lines[i + 1:]):
            lines[i] = None
    lines = [l for l in lines if l is not None]
    if log:
        log("minimized to %d lines in %d runs" % (len(lines), tries[0]))
    return lines


def encode(lines):
    return ("\n".join(lines) + "\n").encode("latin-1")
