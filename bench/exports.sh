#!/usr/bin/env bash
# Times saving, reading and exporting a notebook of 20,000 lines with 100
# pictures (save, load, HTML, LaTeX, Markdown; best of several runs,
# milliseconds), beside `jupyter nbconvert` of a notebook of the same size
# (5,000 code cells with two output lines each and 100 PNG pictures) when
# jupyter is installed; otherwise the figures stand alone.
#
# Usage: bench/exports.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target exports_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
"$build/exports_bench" "$runs" >"$work/kalix.times"
printf '%-36s %10s %12s %7s\n' "notebook of 20,000 lines" "kalix ms" "baseline" "ratio"
while IFS=$'\t' read -r label ms; do
  printf '%-36s %10s%s\n' "$label" "$ms" "$(compare_baseline "$label" "$ms")"
done <"$work/kalix.times"
save_baseline

if command -v jupyter >/dev/null && command -v python3 >/dev/null; then
  python3 - "$work/bench.ipynb" <<'PY'
import base64, json, sys, zlib, struct
def png(w, h):
    raw = b"".join(b"\0" + bytes(3 * w) for _ in range(h))
    chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) + \
        chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
picture = base64.b64encode(png(400, 300)).decode()
cells = []
for i in range(5000):
    outputs = [{"output_type": "stream", "name": "stdout",
                "text": ["%g  result line\n" % (i * 0.5), "%g  second result line\n" % (i * 0.25)]}]
    if i % 50 == 49:
        outputs.append({"output_type": "display_data", "metadata": {},
                        "data": {"image/png": picture}})
    cells.append({"cell_type": "code", "execution_count": i, "metadata": {},
                  "source": ["x%d = sqrt(%d)" % (i, i)], "outputs": outputs})
json.dump({"cells": cells, "metadata": {}, "nbformat": 4, "nbformat_minor": 5},
          open(sys.argv[1], "w"))
PY
  for format in html latex markdown; do
    best=""
    for ((i = 0; i < runs; i++)); do
      start=$(date +%s%N)
      (cd "$work" && jupyter nbconvert --to "$format" bench.ipynb >/dev/null 2>&1)
      ms=$((($(date +%s%N) - start) / 1000000))
      if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    printf '%-36s %10s\n' "jupyter nbconvert --to $format" "$best"
  done
else
  echo "(jupyter is not installed: no nbconvert figures)"
fi
