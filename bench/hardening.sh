#!/usr/bin/env bash
# Times the element loops whose cost the bad-input fixes touched (median of
# several runs, milliseconds): interval sums, products, quotients and square
# roots on 10^6 elements (bounds moved only where rounding happened),
# binomials with large k (log-gamma quotients) and short products, logbin;
# beside them GNU Octave when octave-cli is installed: its interval
# counterpart is the same operation on the two bound vectors of doubles,
# its binomials the log-gamma formula.
#
# Usage: bench/hardening.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

labels=("interval a+b, 10^6" "interval a*b, 10^6" "interval a/b, 10^6" "interval sqrt(a), 10^6"
        "bin(n,k) k~10^6, 10^5" "bin(n,k) k<20, 10^5" "logbin(n,k) k~10^6, 10^5")
kalix_calls=("a+b" "a*b" "a/b" "sqrt(a)" "bin(n,k)" "bin(n,ks)" "logbin(n,k)")
octave_calls=("al+bl; au+bu" "al.*bl; au.*bu" "al./bl; au./bu" "sqrt(al); sqrt(au)"
              "round(exp(gammaln(n+1)-gammaln(k+1)-gammaln(n-k+1)))"
              "round(exp(gammaln(n+1)-gammaln(ks+1)-gammaln(n-ks+1)))"
              "gammaln(n+1)-gammaln(k+1)-gammaln(n-k+1)")

cat >"$work/bench.k" <<'EOF'
x = (1:1000000) / 7;
a = ~x, x + 1~; b = ~x + 2, x + 3~;
n = 2000000 + (1:100000); k = 1000000 + (1:100000); ks = mod(1:100000, 20);
EOF

cat >"$work/bench.m" <<'EOF'
x = (1:1000000) / 7;
al = x; au = x + 1; bl = x + 2; bu = x + 3;
n = 2000000 + (1:100000); k = 1000000 + (1:100000); ks = mod(1:100000, 20);
EOF

for k in "${!labels[@]}"; do
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); y=${kalix_calls[$k]}; 1000*(time()-t)" >>"$work/bench.k"
    echo "tic; ${octave_calls[$k]}; printf('%g\n', 1000*toc);" >>"$work/bench.m"
  done
done

report_times case 28 "${labels[@]}"
