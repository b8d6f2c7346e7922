#!/usr/bin/env bash
# Times polynomial evaluation, the random generators, Bessel functions and
# polynomial roots through the kalix program (median of several runs,
# milliseconds per evaluation) and, when octave-cli is installed, the same
# computations in GNU Octave beside it.
#
# Usage: bench/polynomials_random_bessel.sh [runs]     (KALIX_BUILD selects
# the build directory, default build/; it is configured and built when
# needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

# label | evaluations per timed line | evaluations the reported time covers
# | setup | kalix expression | Octave's (Octave writes polynomials highest
# coefficient first and takes the order of a Bessel function first).
cases=(
  "polyval degree 10, 10^7 points|2|1|p=random(1,11); x=random(1,10000000);|polyval(p,x)|polyval(p,x)"
  "random(1,10^7)|5|1|x=0;|random(1,10000000)|rand(1,10000000)"
  "normal(1,10^7)|5|1|x=0;|normal(1,10000000)|randn(1,10000000)"
  "besselj at 10^6 points|2|1|x=(1:1000000)/100000;|besselj(x,1)|besselj(1,x)"
  "roots of degree 50, 100 times|200|100|p=normal(1,51);|polysolve(p)|roots(p)"
)

: >"$work/bench.k"
: >"$work/bench.m"
for c in "${cases[@]}"; do
  IFS='|' read -r label repeats per setup expression octaveExpression <<<"$c"
  octaveSetup=${setup//random(/rand(}
  octaveSetup=${octaveSetup//normal(/randn(}
  echo "$setup" >>"$work/bench.k"
  echo "$octaveSetup" >>"$work/bench.m"
  body=""
  octaveBody=""
  for ((r = 0; r < repeats; r++)); do
    body+="y=$expression; "
    octaveBody+="y=$octaveExpression; "
  done
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); $body 1000*$per*(time()-t)/$repeats" >>"$work/bench.k"
    echo "tic; $octaveBody printf('%g\n', 1000*$per*toc/$repeats);" >>"$work/bench.m"
  done
done

labels=()
for c in "${cases[@]}"; do
  IFS='|' read -r label _ <<<"$c"
  labels+=("$label")
done
report_times computation 32 "${labels[@]}"
