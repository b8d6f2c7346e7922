#!/usr/bin/env bash
# Saves a plot of 10^6 points as SVG and as compressed SVG (.svgz) through
# the kalix program, several times each in one run, and prints the best time
# of each (milliseconds) and their ratio: compressing should cost at most as
# much again as writing the SVG.
#
# Usage: bench/svg_compressed.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

: >"$work/bench.k"
echo 'x=(1:1000000)/1000000; y=sin(20*x); clg; plot(x,y);' >>"$work/bench.k"
for ((i = 0; i < runs; i++)); do
  echo 't=time(); savesvg("b.svg",800,600); 1000*(time()-t)' >>"$work/bench.k"
  echo 't=time(); savesvg("b.svgz",800,600); 1000*(time()-t)' >>"$work/bench.k"
done
(cd "$work" && "$build/kalix" <bench.k) | grep -E '^ *[0-9.]+$' >"$work/kalix.raw"
# The unpacked file must be the SVG, clip numbers aside (they count on
# across the saves of a run).
gzip -dc <"$work/b.svgz" | sed 's/clip[0-9]*/clip/g' >"$work/unpacked.svg"
sed 's/clip[0-9]*/clip/g' "$work/b.svg" | cmp -s - "$work/unpacked.svg" ||
  { echo "b.svgz does not unpack to the SVG"; exit 1; }

read -r svg svgz < <(awk '{ k = (NR - 1) % 2; v = $1 + 0; if (NR <= 2 || v < m[k]) m[k] = v }
  END { printf "%.1f %.1f\n", m[0], m[1] }' <"$work/kalix.raw")
printf '%-40s %10s %12s %7s\n' "10^6 points, best of $runs" "kalix ms" "baseline ms" "ratio"
printf '%-40s %10s%s\n' "savesvg to .svg" "$svg" "$(compare_baseline "savesvg .svg" "$svg")"
printf '%-40s %10s%s\n' "savesvg to .svgz" "$svgz" "$(compare_baseline "savesvg .svgz" "$svgz")"
printf '%-40s %10s   (%s and %s bytes)\n' "ratio .svgz / .svg" \
  "$(awk -v a="$svgz" -v b="$svg" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }')" \
  "$(stat -c %s "$work/b.svgz")" "$(stat -c %s "$work/b.svg")"
save_baseline
