#!/usr/bin/python3
"""Draws the reference pictures through kalix as PNG, SVG and EPS, renders
the SVG with rsvg-convert and the EPS with Ghostscript, and compares each
rendering with the PNG pixel by pixel after a light blur.

Usage: format_agreement.py KALIX SCRIPT WORKDIR [SHEET.png]

A pixel differs when, after a 5 x 5 box blur of both pictures, one of its
channels differs by more than THRESHOLD; a pair agrees when at most
TOLERANCE of its pixels differ. Texts are compared exactly: each text the
EPS draws, read back by Ghostscript, equals the SVG's text in its place,
and the texts picture shows TEXTS. Prints one line per pair; exits 77 (skip)
when a tool is missing, 1 when a pair disagrees that KNOWN does not list. With SHEET, writes the
three renderings of every picture side by side into one PNG.
"""
import html
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

try:
    import numpy as np
    from PIL import Image
except ImportError as missing_module:
    print("SKIPPED: python3 lacks numpy or PIL (%s)" % missing_module)
    sys.exit(77)

THRESHOLD = 40  # of 255, per channel, after the blur
TOLERANCE = 0.02  # fraction of differing pixels

# Pairs known to differ beyond the tolerance, with the reason: printed, but
# they do not fail the run. Remove an entry when its difference is mended.
KNOWN = {}  # (picture, format): why a pair may differ
SIZE = 1024
# The texts of the texts picture, in the order they are drawn. One wrong
# line is under the pixel tolerance; compared as texts it fails.
TEXTS = ["x=1     y=2", "x=10    y=20", "Grüße à la française: ±½ £ ©", "α β Ω ∞ ≤",
         "centred", "right", "Grüße, naïve café, ß €", "αβγ Δ Ω π ≤", "Привет, Łódź ∞ ≠ ∑"]


def read_picture(path):
    # Onto white, as RGB numbers.
    img = Image.open(path).convert("RGBA")
    white = Image.new("RGBA", img.size, (255, 255, 255, 255))
    return np.asarray(Image.alpha_composite(white, img).convert("RGB"), dtype=np.float64)


def blur(img, radius=2):
    out = img.copy()
    for axis in (0, 1):
        padded = np.pad(out, [(radius, radius) if a == axis else (0, 0) for a in range(3)],
                        mode="edge")
        acc = np.zeros_like(out)
        n = out.shape[axis]
        for k in range(2 * radius + 1):
            acc += np.take(padded, range(k, k + n), axis=axis)
        out = acc / (2 * radius + 1)
    return out


def eps_texts(path):
    # Each string the EPS shows, as Ghostscript reads its glyphs back.
    run = subprocess.run(["gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=txtwrite",
                          "-dTextFormat=0", "-sOutputFile=-", path],
                         check=True, capture_output=True)
    spans = re.findall(r"<span [^>]*>(.*?)</span>", run.stdout.decode("utf-8"), re.S)
    return ["".join(html.unescape(c) for c in re.findall(r'<char [^>]* c="(.*?)"/>', span))
            for span in spans]


def svg_texts(path):
    return ["".join(t.itertext()) for t in ElementTree.parse(path).iter()
            if t.tag == "{http://www.w3.org/2000/svg}text"]


def text_failures(name, base):
    eps, svg = eps_texts(base + ".eps"), svg_texts(base + ".svg")
    failures = []
    if eps != svg:
        failures.append("EPS texts %r, SVG texts %r" % (eps, svg))
    if name == "texts" and svg != TEXTS:
        failures.append("SVG texts %r, drawn %r" % (svg, TEXTS))
    return failures


def differing(a, b):
    d = np.abs(blur(a) - blur(b)).max(axis=2)
    return float((d > THRESHOLD).mean()), float(d.mean())


# Pictures whose edges are drawn in a colour of their own: the share of
# their pixels in that colour, and the share of black ones, must agree.
EDGE_COLOURS = {"mesh": (255, 0, 0)}


def edge_shares(img, colour):
    near = np.abs(img - np.array(colour, dtype=np.float64)).max(axis=2) < 80
    black = img.max(axis=2) < 60
    return float(near.mean()), float(black.mean())


def edges_agree(png, other, colour):
    """Whether `other` draws about as many edge-coloured pixels as the PNG
    and no edges in black where the PNG has none. Returns (ok, text)."""
    (png_near, png_black), (near, black) = edge_shares(png, colour), edge_shares(other, colour)
    ok = 0.5 * png_near <= near <= 2 * png_near and black <= png_black + 0.002
    return ok, "edge colour %.2f%% (PNG %.2f%%), black %.2f%% (PNG %.2f%%)" % (
        100 * near, 100 * png_near, 100 * black, 100 * png_black)


def main():
    kalix, script, work = sys.argv[1], sys.argv[2], sys.argv[3]
    sheet = sys.argv[4] if len(sys.argv) > 4 else None
    missing = [t for t in ("gs", "rsvg-convert") if shutil.which(t) is None]
    if missing:
        print("SKIPPED: not installed: " + ", ".join(missing))
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "config"))
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"))
    pictures = []
    # The same pictures in colour and, in a directory of their own, with
    # colours off.
    for mode in ("colour", "mono"):
        d = os.path.join(work, mode)
        os.makedirs(os.path.join(d, "config", "kalix"))
        if mode == "mono":
            with open(os.path.join(d, "config", "kalix", "settings"), "w") as f:
                f.write('usecolors="0"\n')
        menv = dict(env, HOME=d, XDG_CONFIG_HOME=os.path.join(d, "config"))
        run = subprocess.run([kalix], stdin=open(script), cwd=d, env=menv,
                             capture_output=True, text=True, timeout=300)
        if run.stdout.strip() or run.stderr.strip():
            print("kalix printed:\n" + run.stdout + run.stderr)
            return 1
        names = sorted(f[:-4] for f in os.listdir(d) if f.endswith(".png"))
        if mode == "mono":
            names = [n for n in names if n in ("lines", "bars", "solid", "density")]
        pictures += [(mode, d, n) for n in names]
    failed = 0
    rows = []
    for mode, d, name in pictures:
        base = os.path.join(d, name)
        subprocess.run(["rsvg-convert", "-b", "white", "-w", str(SIZE), "-h", str(SIZE),
                        "-o", base + ".svg.png", base + ".svg"], check=True)
        subprocess.run(["gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-dEPSCrop",
                        "-sDEVICE=ppmraw", "-r72", "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4",
                        "-sOutputFile=" + base + ".eps.ppm", base + ".eps"],
                       check=True, capture_output=True)
        png = read_picture(base + ".png")
        svg = read_picture(base + ".svg.png")
        eps = read_picture(base + ".eps.ppm")
        label = name if mode == "colour" else name + " (colours off)"
        for kind, other in (("SVG", svg), ("EPS", eps)):
            if other.shape != png.shape:
                print("%-28s %s size %s, PNG %s: DIFFERS" % (label, kind, other.shape, png.shape))
                failed += 1
                continue
            share, mean = differing(png, other)
            ok = share <= TOLERANCE
            known = KNOWN.get((name, kind))
            failed += not ok and not known
            verdict = "ok" if ok else "DIFFERS (known: %s)" % known if known else "DIFFERS"
            print("%-28s %s vs PNG: %6.2f%% pixels differ, mean %5.2f  %s" %
                  (label, kind, 100 * share, mean, verdict))
            if name in EDGE_COLOURS:
                same, shares = edges_agree(png, other, EDGE_COLOURS[name])
                failed += not same
                print("%-28s %s vs PNG: %s  %s" % (label, kind, shares,
                                                  "ok" if same else "DIFFERS"))
        if mode == "colour":
            for failure in text_failures(name, base):
                print("%-28s texts DIFFER: %s" % (label, failure))
                failed += 1
        rows.append((png, svg, eps))
    if sheet:
        write_sheet(rows, sheet)
    print("tolerance: at most %.0f%% of the pixels differ by more than %d after a 5x5 blur"
          % (100 * TOLERANCE, THRESHOLD))
    return 1 if failed else 0


def write_sheet(rows, path, scale=4):
    # Every picture reduced to a quarter: PNG, SVG, EPS side by side.
    cell = SIZE // scale
    sheet = np.full((cell * len(rows), (cell + 4) * 3, 3), 128, dtype=np.uint8)
    for i, row in enumerate(rows):
        for j, img in enumerate(row):
            small = img.reshape(cell, scale, cell, scale, 3).mean(axis=(1, 3))
            sheet[i * cell:(i + 1) * cell, j * (cell + 4):j * (cell + 4) + cell] = small
    Image.fromarray(sheet).save(path, optimize=True)


if __name__ == "__main__":
    sys.exit(main())
