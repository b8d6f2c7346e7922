#!/usr/bin/env bash
# Times a density picture of 1000 x 1000 cells drawn and saved as a PNG of
# 1000 x 1000 pixels (best of `runs`, milliseconds), beside matplotlib
# drawing the same cells with pcolormesh and saving them as a PNG of the
# same size. Goal: kalix / matplotlib <= 0.5.
#
# Usage: bench/density_png.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"

: >"$work/bench.k"
echo 'z=random(1000,1000);' >>"$work/bench.k"
for ((i = 0; i < runs; i++)); do
  echo 't=time(); clg; density(z); savepng("d.png",1000,1000,0); 1000*(time()-t)' >>"$work/bench.k"
done
kalix=$( (cd "$work" && "$build/kalix" <bench.k) | grep -E '^ *[0-9.]+$' |
  awk 'NR == 1 || $1 + 0 < m { m = $1 + 0 } END { printf "%.1f", m }')

mpl="?"
py=/usr/bin/python3
[ -x "$py" ] || py=python3
if "$py" -c "import matplotlib" 2>/dev/null; then
  mpl=$(cd "$work" && "$py" - "$runs" <<'PY'
import sys, time
import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
runs = int(sys.argv[1])
z = np.random.rand(1000, 1000)
best = 1e30
for _ in range(runs):
    start = time.perf_counter()
    fig = plt.figure(figsize=(10, 10), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_axis_off()
    ax.pcolormesh(z, cmap="viridis")
    fig.savefig("m.png", format="png")
    plt.close(fig)
    best = min(best, (time.perf_counter() - start) * 1000)
print("%.1f" % best)
PY
)
fi

label="density 1000x1000 to PNG"
ratio=$(awk -v a="$kalix" -v b="$mpl" 'BEGIN { if (b == "?" || b == 0) print "?"; else printf "%.2f", a / b }')
printf '%-44s %10s %12s %8s\n' "case (ms)" kalix matplotlib ratio
printf '%-44s %10s %12s %8s  (goal <= 0.5)%s\n' "$label" "$kalix" "$mpl" "$ratio" \
  "$(compare_baseline "$label" "$kalix")"
save_baseline
