#!/usr/bin/env bash
# Times the exact dot product of two 10^6-vectors with accuload (median of
# several runs, milliseconds and nanoseconds per element) and, when
# octave-cli is installed, GNU Octave's plain (rounded) dot product of the
# same vectors beside it for scale.
#
# Usage: bench/accumulator.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"
n=1000000

# Terms of mixed signs and magnitudes, the same in both languages.
echo "v=sin(1:$n)*10^(cos(1:$n)*20); w=cos((1:$n)*0.7);" >"$work/bench.k"
echo "v=sin(1:$n).*10.^(cos(1:$n)*20); w=cos((1:$n)*0.7);" >"$work/bench.m"
for ((i = 0; i < runs; i++)); do
  echo 't=time(); s=accuload(v, w); 1000*(time()-t)' >>"$work/bench.k"
  echo "tic; s=dot(v, w); printf('%g\n', 1000*toc);" >>"$work/bench.m"
done

kalix=$( (cd "$work" && "$build/kalix" <bench.k) | median_of_groups)
printf '%-46s %10s %14s\n' "dot product of two 10^6-vectors" "ms" "ns/element"
printf '%-46s %10s %14s\n' "kalix accuload(v, w), exact" "$kalix" \
  "$(awk -v t="$kalix" -v n=$n 'BEGIN { printf "%.1f", t * 1e6 / n }')"
if command -v octave-cli >/dev/null; then
  octave=$( (cd "$work" && octave-cli --quiet --no-gui bench.m 2>/dev/null) | median_of_groups)
  printf '%-46s %10s %14s\n' "octave dot(v, w), rounded" "$octave" \
    "$(awk -v t="$octave" -v n=$n 'BEGIN { printf "%.1f", t * 1e6 / n }')"
  record_row "dot product, 10^6 (accuload / dot)" "$kalix" "$octave"
else
  echo "(octave-cli not installed)"
fi
