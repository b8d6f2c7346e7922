#!/usr/bin/env bash
# Paints a plot of 10^6 points into PNG files through the kalix program
# (savepng: 1024 x 1024 plain, and 3000 x 3000 drawn at 9000 x 9000 and
# reduced by the 3:1 filter; best of several runs, milliseconds), beside
# python3 with matplotlib saving the same plot with savefig (Agg, lines
# smoothed) at 1024 x 1024 (100 dpi) and 3000 x 3000 (300 dpi, so lines
# have the same share of the picture), once with its default path
# simplification and once drawing every point.
#
# Usage: bench/pixels.sh [runs]   (KALIX_BUILD selects the build directory,
# default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"

: >"$work/bench.k"
echo 'x=(1:1000000)/1000000; y=sin(20*x); clg; plot(x,y);' >>"$work/bench.k"
for ((i = 0; i < runs; i++)); do
  echo 't=time(); savepng("b1.png",1024,1024,0); 1000*(time()-t)' >>"$work/bench.k"
  echo 't=time(); savepng("b3.png",3000,3000,1); 1000*(time()-t)' >>"$work/bench.k"
done
(cd "$work" && QT_QPA_PLATFORM=offscreen "$build/kalix" <bench.k) | grep -E '^ *[0-9.]+$' \
  >"$work/kalix.raw"

cat >"$work/bench.py" <<PY
import time, sys
import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
matplotlib.rcParams["path.simplify"] = sys.argv[1] == "simplify"
x = np.arange(1, 1000001) / 1e6
y = np.sin(20 * x)
figures = []
for size, dpi in ((1024, 100), (3000, 300)):
    fig = plt.figure(figsize=(size / dpi, size / dpi), dpi=dpi)
    fig.add_axes([0, 0, 1, 1]).plot(x, y)
    figures.append((fig, dpi))
for run in range($runs):
    for fig, dpi in figures:
        t = time.perf_counter(); fig.savefig("m.png", dpi=dpi)
        print(1000 * (time.perf_counter() - t))
PY

# The best time of each step over the runs (lines come in pairs).
best2() { awk '{ k = (NR - 1) % 2; v = $1 + 0; if (NR <= 2 || v < m[k]) m[k] = v }
  END { printf "%.1f %.1f\n", m[0], m[1] }'; }
read -r k1 k3 < <(best2 <"$work/kalix.raw")
printf '%-34s %14s %22s\n' "10^6 points to PNG" "1024 x 1024" "3000 x 3000 smoothed"
printf '%-34s %14s %22s\n' "kalix savepng" "$k1" "$k3"
python=""
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import matplotlib, numpy' 2>/dev/null; then python=$candidate; break; fi
done
if [ -n "$python" ]; then
  for mode in simplify all; do
    read -r p1 p3 < <(cd "$work" && "$python" bench.py $mode | best2)
    printf '%-34s %14s %22s\n' "matplotlib savefig ($mode points)" "$p1" "$p3"
    printf '%-34s %14s %22s\n' "  ratio kalix/matplotlib" \
      "$(echo "scale=3; $k1 / $p1" | bc)" "$(echo "scale=3; $k3 / $p3" | bc)"
  done
else
  echo "(python3 with matplotlib not installed)"
fi
