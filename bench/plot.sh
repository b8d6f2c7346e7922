#!/usr/bin/env bash
# Records a polyline of 10^6 points and writes it as SVG and as EPS through
# the kalix program (median of several runs, milliseconds), beside python3
# with matplotlib doing the same (plot, then savefig to SVG and EPS), once
# with its default path simplification and once writing every point.
#
# Usage: bench/plot.sh [runs]     (KALIX_BUILD selects the build directory,
# default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"

: >"$work/bench.k"
echo 'x=(1:1000000)/1000000; y=sin(20*x);' >>"$work/bench.k"
for ((i = 0; i < runs; i++)); do
  echo 't=time(); clg; plot(x,y); 1000*(time()-t)' >>"$work/bench.k"
  echo 't=time(); savesvg("b.svg",800,600); 1000*(time()-t)' >>"$work/bench.k"
  echo 't=time(); saveps("b.eps"); 1000*(time()-t)' >>"$work/bench.k"
done
(cd "$work" && "$build/kalix" <bench.k) | grep -E '^ *[0-9.]+$' >"$work/kalix.raw"

cat >"$work/bench.py" <<PY
import time, sys
import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
matplotlib.rcParams["path.simplify"] = sys.argv[1] == "simplify"
x = np.arange(1, 1000001) / 1e6
y = np.sin(20 * x)
for run in range($runs):
    t = time.perf_counter(); fig, ax = plt.subplots(); ax.plot(x, y)
    print(1000 * (time.perf_counter() - t))
    t = time.perf_counter(); fig.savefig("b.svg"); print(1000 * (time.perf_counter() - t))
    t = time.perf_counter(); fig.savefig("b.eps"); print(1000 * (time.perf_counter() - t))
    plt.close(fig)
PY

# The best time of each step over the runs (lines come in groups of three).
best3() { awk '{ k = (NR - 1) % 3; v = $1 + 0; if (NR <= 3 || v < m[k]) m[k] = v }
  END { printf "%.1f %.1f %.1f\n", m[0], m[1], m[2] }'; }
read -r kr ks ke < <(best3 <"$work/kalix.raw")
printf '%-34s %10s %10s %10s %12s\n' "10^6 points" "record" "SVG" "EPS" "record+SVG"
printf '%-34s %10s %10s %10s %12s\n' "kalix" "$kr" "$ks" "$ke" "$(echo "$kr + $ks" | bc)"
# The first python3 that has matplotlib (Debian's lives in /usr/bin).
python=""
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import matplotlib' 2>/dev/null; then python=$candidate; break; fi
done
if [ -n "$python" ]; then
  for mode in simplify all; do
    read -r pr ps pe < <(cd "$work" && "$python" bench.py $mode | best3)
    printf '%-34s %10s %10s %10s %12s\n' "matplotlib ($mode points)" "$pr" "$ps" "$pe" \
      "$(echo "$pr + $ps" | bc)"
    printf '%-34s %10s %10s %10s %12s\n' "  ratio kalix/matplotlib" \
      "$(echo "scale=3; $kr / $pr" | bc)" "$(echo "scale=3; $ks / $ps" | bc)" \
      "$(echo "scale=3; $ke / $pe" | bc)" "$(echo "scale=3; ($kr + $ks) / ($pr + $ps)" | bc)"
  done
else
  echo "(python3 with matplotlib not installed)"
fi
