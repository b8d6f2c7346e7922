#!/usr/bin/env bash
# Draws 3D surfaces and contour lines and saves them as PNG files through
# the kalix program: solid and mesh of a 500 x 500 grid, contour of a
# 1000 x 1000 grid with 20 levels, each drawn and saved at 1024 x 1024
# (median of several runs, milliseconds, drawing and saving together),
# beside python3 with matplotlib: plot_surface and contour, then savefig
# at 1024 x 1024 (100 dpi). plot_surface is timed twice: with its default
# sampling (at most 50 x 50 faces) and with every cell of the grid, which
# is what kalix draws.
#
# Usage: bench/plots3d.sh [runs]   (KALIX_BUILD selects the build directory,
# default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"

cat >"$work/bench.k" <<'K'
t=-1+2*(0:499)/499; x=t; y=t'; z=exp(-(x^2+y^2))*cos(3*x)*sin(2*y);
u=-1+2*(0:999)/999; v=u'; w=exp(-(u^2+v^2))*cos(3*u)*sin(2*v);
levels=-0.95+(0:19)*0.1;
K
for ((i = 0; i < runs; i++)); do
  echo 's=time(); solid(x,y,z); savepng("s.png",1024,1024,0); 1000*(time()-s)' >>"$work/bench.k"
  echo 's=time(); mesh(z); savepng("m.png",1024,1024,0); 1000*(time()-s)' >>"$work/bench.k"
  echo 's=time(); contour(w,levels); savepng("c.png",1024,1024,0); 1000*(time()-s)' \
    >>"$work/bench.k"
done
(cd "$work" && QT_QPA_PLATFORM=offscreen "$build/kalix" <bench.k) | grep -E '^ *[0-9.]+$' \
  >"$work/kalix.raw"

cat >"$work/bench.py" <<PY
import time
import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
t = np.linspace(-1, 1, 500)
X, Y = np.meshgrid(t, t)
Z = np.exp(-(X**2 + Y**2)) * np.cos(3 * X) * np.sin(2 * Y)
u = np.linspace(-1, 1, 1000)
U, V = np.meshgrid(u, u)
W = np.exp(-(U**2 + V**2)) * np.cos(3 * U) * np.sin(2 * V)
levels = -0.95 + np.arange(20) * 0.1

def surface(stride):
    fig = plt.figure(figsize=(10.24, 10.24), dpi=100)
    ax = fig.add_subplot(projection="3d")
    if stride:
        ax.plot_surface(X, Y, Z, rstride=1, cstride=1)
    else:
        ax.plot_surface(X, Y, Z)
    fig.savefig("p.png", dpi=100)
    plt.close(fig)

def contour():
    fig = plt.figure(figsize=(10.24, 10.24), dpi=100)
    fig.add_axes([0, 0, 1, 1]).contour(U, V, W, levels)
    fig.savefig("c.png", dpi=100)
    plt.close(fig)

for run in range($runs):
    for f in (lambda: surface(False), lambda: surface(True), contour):
        t0 = time.perf_counter(); f()
        print(1000 * (time.perf_counter() - t0))
PY

# The best time of each step over the runs (lines come in groups of n).
best() { awk -v n="$1" '{ k = (NR - 1) % n; v = $1 + 0; if (NR <= n || v < m[k]) m[k] = v }
  END { for (k = 0; k < n; k++) printf "%.1f ", m[k]; printf "\n" }'; }
read -r ks km kc < <(best 3 <"$work/kalix.raw")
printf '%-44s %10s\n' "drawn and saved as PNG (1024 x 1024)" "ms"
printf '%-44s %10s\n' "kalix solid 500 x 500" "$ks" "kalix mesh 500 x 500" "$km" \
  "kalix contour 1000 x 1000, 20 levels" "$kc"
python=""
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import matplotlib, numpy' 2>/dev/null; then python=$candidate; break; fi
done
if [ -n "$python" ]; then
  read -r ps pa pc < <(cd "$work" && "$python" bench.py | best 3)
  printf '%-44s %10s\n' "matplotlib plot_surface (default sampling)" "$ps" \
    "matplotlib plot_surface (every cell)" "$pa" "matplotlib contour, 20 levels" "$pc"
  ratio() { echo "scale=3; $1 / $2" | bc; }
  printf '%-44s %10s\n' "ratio solid / plot_surface (every cell)" "$(ratio "$ks" "$pa")" \
    "ratio mesh / plot_surface (every cell)" "$(ratio "$km" "$pa")" \
    "ratio solid / plot_surface (default)" "$(ratio "$ks" "$ps")" \
    "ratio mesh / plot_surface (default)" "$(ratio "$km" "$ps")" \
    "ratio contour / contour" "$(ratio "$kc" "$pc")"
else
  echo "(python3 with matplotlib not installed)"
fi
