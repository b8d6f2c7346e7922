#!/usr/bin/env bash
# Times simplex on a dense linear program of 200 constraints and 200
# variables (maximise c x, A x <= b, x >= 0; median of several runs,
# milliseconds) and, when octave-cli is installed, GNU Octave's glpk on the
# same program; both optimal values are printed as a check.
#
# Usage: bench/simplex.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"
m=200
n=200

cat >"$work/bench.k" <<EOF2
i = (1:$m)'; j = 1:$n;
A = 1.5 + sin(i*j); b = 10 + 5*cos(i); c = 1 + sin(3*j)^2;
EOF2
cat >"$work/bench.m" <<EOF2
i = (1:$m)'; j = 1:$n;
A = 1.5 + sin(i*j); b = 10 + 5*cos(i); c = 1 + sin(3*j).^2;
EOF2
for ((k = 0; k < runs; k++)); do
  echo 't=time(); {x, code} = simplex(A, b, c, -1, 1, 1); 1000*(time()-t)' >>"$work/bench.k"
  echo "tic; [x, f] = glpk(c', A, b, zeros($n, 1), [], repmat('U', $m, 1), repmat('C', $n, 1), -1); printf('%g\n', 1000*toc);" >>"$work/bench.m"
done
echo 'code, c.x' >>"$work/bench.k"
echo "printf('optimum %.12g\n', f);" >>"$work/bench.m"

kout=$(cd "$work" && "$build/kalix" <bench.k)
kalix=$(echo "$kout" | head -n "$runs" | median_of_groups)
printf '%-40s %10s %20s\n' "LP 200 x 200" "ms" "optimum"
printf '%-40s %10s %20s\n' "kalix simplex (code $(echo "$kout" | tail -2 | head -1))" "$kalix" \
  "$(echo "$kout" | tail -1)"
if command -v octave-cli >/dev/null; then
  oout=$(cd "$work" && octave-cli --quiet --no-gui bench.m 2>/dev/null)
  octave=$(echo "$oout" | head -n "$runs" | median_of_groups)
  printf '%-40s %10s %20s\n' "octave glpk" "$octave" "$(echo "$oout" | tail -1 | cut -d' ' -f2)"
  record_row "LP 200 x 200 (simplex / glpk)" "$kalix" "$octave"
else
  echo "(octave-cli not installed)"
fi
