#!/usr/bin/env bash
# Times the help: loading the help files, the help window's answer after
# each keystroke of typed queries (names, Maxima names and full-text
# searches over the help and Maxima's info files), and loading and
# sorting the spell check's word lists (median of several runs,
# milliseconds). Goals: under 30 ms a keystroke, under 200 ms for the word
# list. Beside it, Python reading and sorting the same word list.
#
# Usage: bench/help.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target help_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
"$build/help_bench" "$root/resources" "$runs" >"$work/help.times"
printf '%-48s %10s %12s %7s\n' "case" "kalix ms" "baseline" "ratio"
while IFS=$'\t' read -r label ms; do
  printf '%-48s %10s %s\n' "$label" "$ms" "$(compare_baseline "$label" "$ms")"
done <"$work/help.times"
if command -v python3 >/dev/null && [ -f /usr/share/dict/american-english ]; then
  python3 - "$runs" <<'PY'
import sys, time
best = 1e300
for _ in range(int(sys.argv[1])):
    t = time.perf_counter()
    with open("/usr/share/dict/american-english", encoding="utf-8") as f:
        words = sorted(line.rstrip("\n") for line in f if line.strip())
    best = min(best, (time.perf_counter() - t) * 1000)
print("%-48s %10.2f" % ("python3: load and sort English words", best))
PY
fi
save_baseline
