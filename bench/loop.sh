#!/usr/bin/env bash
# Times a top-level counting loop of 10^6 passes through the kalix program
# (median of several runs, milliseconds) and, when octave-cli is installed,
# the same loop in GNU Octave beside it.
#
# Usage: bench/loop.sh [runs]     (KALIX_BUILD selects the build directory,
# default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

# Each run times the loop inside the program, so start-up is not counted;
# the sum is printed too, as a check that the loop ran.
: >"$work/bench.k"
: >"$work/bench.m"
for ((i = 0; i < runs; i++)); do
  echo 't=time(); s=0; for i=1 to 1000000; s=s+i; end; 1000*(time()-t), s' >>"$work/bench.k"
  echo "tic; s=0; for i=1:1e6, s=s+i; end; printf('%g\n%.0f\n', 1000*toc, s);" >>"$work/bench.m"
done

# Best time of the runs; every sum must be 500000500000.
best() { awk '
  NR % 2 == 1 { v = $1 + 0; if (NR == 1 || v < m) m = v }
  NR % 2 == 0 && $1 + 0 != 500000500000 { bad = 1 }
  END { if (bad || NR == 0) print "wrong"; else printf "%.1f\n", m }'; }

kalix=$( (cd "$work" && "$build/kalix" <bench.k) | best)
printf '%-44s %12s %12s %7s\n' "loop" "ms" "baseline ms" "ratio"
printf '%-44s %12s %s\n' "kalix: for i=1 to 1000000; s=s+i; end;" "$kalix" \
  "$(compare_baseline "loop s=s+i, 10^6" "$kalix")"
octave=""
if command -v octave-cli >/dev/null; then
  octave=$( (cd "$work" && octave-cli --quiet --no-gui bench.m) | best)
  printf '%-44s %12s\n' "octave: for i=1:1e6, s=s+i; end" "$octave"
else
  echo "(octave-cli not installed)"
fi
record_row "loop s=s+i, 10^6" "$kalix" "$octave"
save_baseline
