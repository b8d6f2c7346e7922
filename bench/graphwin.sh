#!/usr/bin/env bash
# Times the notebook and graphics windows with the interpreter on its
# thread (offscreen, or on the X display given by KALIX_BENCH_DISPLAY, for
# instance under xvfb-run): from the program's start until the prompt and
# both windows are painted, "1+1" from Return until its output is painted,
# and a plot of 10^6 points from Return until the graphics window painted
# it (milliseconds). Beside them python3 with matplotlib: starting it and
# drawing an empty figure, and drawing the same 10^6 points onto a
# 600 x 600 canvas (Agg), with its default path simplification and with
# every point.
#
# Usage: bench/graphwin.sh [runs]   (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target graphwin_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
if [ -n "${KALIX_BENCH_DISPLAY:-}" ]; then
  (cd "$work" && DISPLAY=$KALIX_BENCH_DISPLAY QT_QPA_PLATFORM=xcb "$build/graphwin_bench" "$runs" 2>/dev/null)
else
  (cd "$work" && QT_QPA_PLATFORM=offscreen "$build/graphwin_bench" "$runs" 2>/dev/null)
fi

python=""
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import matplotlib, numpy' 2>/dev/null; then python=$candidate; break; fi
done
[ -n "$python" ] || exit 0
cat >"$work/start.py" <<'PY'
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
plt.figure(figsize=(6, 6), dpi=100).canvas.draw()
PY
best=1e9
for ((i = 0; i < runs; i++)); do
  t0=$(date +%s%N); "$python" "$work/start.py"; t1=$(date +%s%N)
  ms=$(( (t1 - t0) / 1000000 )); [ "$ms" -lt "$best" ] 2>/dev/null && best=$ms || true
  [ "$best" = 1e9 ] && best=$ms
done
printf '%-44s %8s\n' "matplotlib: start, an empty figure drawn" "$best"
cat >"$work/plot.py" <<PY
import sys, time
import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
matplotlib.rcParams["path.simplify"] = sys.argv[1] == "simplify"
x = np.linspace(0, 1, 999999); y = np.sin(200 * x) * x
times = []
for run in range($runs):
    fig = plt.figure(figsize=(6, 6), dpi=100)
    t = time.perf_counter()
    fig.add_axes([0, 0, 1, 1]).plot(x, y)
    fig.canvas.draw()
    times.append(1000 * (time.perf_counter() - t))
    plt.close(fig)
times.sort()
print("%.2f" % times[len(times) // 2])
PY
for mode in simplify all; do
  printf '%-44s %8s\n' "matplotlib: 10^6 points drawn ($mode)" "$(cd "$work" && "$python" plot.py $mode)"
done
