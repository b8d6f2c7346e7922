#!/usr/bin/env bash
# The longest time a paint waits for the "Graphics" lock while an SVG export
# of a 10^6-point polyline runs on another thread (over all runs; it should
# stay under 20 ms), and the export's best time, in milliseconds.
#
# Usage: bench/graphics_lock.sh [runs]   (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target graphics_lock_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
"$build/graphics_lock_bench" "$runs" >"$work/kalix.times"
printf '%-48s %10s %12s %7s\n' "graphics lock" "kalix ms" "baseline" "ratio"
while IFS=$'\t' read -r label ms; do
  printf '%-48s %10s%s\n' "$label" "$ms" "$(compare_baseline "$label" "$ms")"
done <"$work/kalix.times"
save_baseline
