#!/usr/bin/env bash
# Times pictures: a plot of 10^5 segments inserted into a notebook (700 x
# 700 pixels, anti-aliased, kept as PNG) beside matplotlib saving the same
# plot as a PNG in memory; and a LaTeX formula rendered by texpng beside
# running latex and dvipng by hand on the same document (milliseconds per
# picture, best of `runs`).
#
# Usage: bench/pictures.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target pictures_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

insimg=$(QT_QPA_PLATFORM=offscreen "$build/pictures_bench" "$runs" 2>/dev/null)
mpl="?"
# The system's Python, which has Debian's matplotlib.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
if "$py" -c "import matplotlib" 2>/dev/null; then
  mpl=$("$py" - "$runs" <<'PY'
import io, sys, time
import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
runs = int(sys.argv[1])
t = np.linspace(0, 1, 100001)
y = np.sin(40 * t) * np.exp(-2 * t)
best = 1e30
for _ in range(runs):
    start = time.perf_counter()
    fig = plt.figure(figsize=(7, 7), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_axis_off()
    ax.plot(t, y, "k-", linewidth=1, antialiased=True)
    buf = io.BytesIO()
    fig.savefig(buf, format="png")
    plt.close(fig)
    best = min(best, (time.perf_counter() - start) * 1000)
print("%.1f" % best)
PY
)
fi

formulas=10
texpng="?"
hand="?"
if command -v latex >/dev/null && command -v dvipng >/dev/null; then
  mkdir -p "$work/tex" "$work/home"
  cat >"$work/bench.k" <<EOK

function bench(n)
  best=1e30;
  for r=1 to $runs;
    t=time();
    for i=1 to n; s=texpng("\\\\int_0^1 x^2\\\\,dx=\\\\frac{"|i|"}{3}",0,1,0,0); end;
    best=min(best,(time()-t)*1000/n);
  end;
  return best
endfunction
printf("%0.1f",bench($formulas))
EOK
  texpng=$(cd "$work" && HOME="$work/home" XDG_CONFIG_HOME="$work/home" "$build/kalix" <"$work/bench.k" | tail -1)
  best=""
  for r in $(seq "$runs"); do
    start=$(date +%s%N)
    for i in $(seq "$formulas"); do
      cat >"$work/tex/f.tex" <<EOT
\\documentclass[11pt]{article}
\\usepackage{amsmath}
\\usepackage{amsfonts}
\\thispagestyle{empty}
\\begin{document}
\\[
\\int_0^1 x^2\\,dx=\\frac{$i}{3}
\\]
\\end{document}
EOT
      (cd "$work/tex" && latex -interaction=nonstopmode f.tex </dev/null >/dev/null &&
        dvipng -o f.png -D 300 -T tight -bg "rgb 1 1 1" f.dvi >/dev/null)
    done
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    per=$(awk -v m="$ms" -v n="$formulas" 'BEGIN { printf "%.1f", m / n }')
    if [ -z "$best" ] || awk -v a="$per" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$per; fi
  done
  hand=$best
fi

printf '%-44s %10s %12s %8s\n' "case (ms)" kalix other ratio
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "?" || b == "?" || b == 0) print "?"; else printf "%.2f", a / b }'; }
printf '%-44s %10s %12s %8s  (matplotlib)\n' "insimg of a 10^5-segment plot (goal < 100)" "$insimg" "$mpl" "$(ratio "$insimg" "$mpl")"
printf '%-44s %10s %12s %8s  (latex+dvipng by hand; goal < 1.20)\n' "texpng round trip, per formula" "$texpng" "$hand" "$(ratio "$texpng" "$hand")"
compare_baseline "insimg" "$insimg" >/dev/null
compare_baseline "texpng" "$texpng" >/dev/null
save_baseline
