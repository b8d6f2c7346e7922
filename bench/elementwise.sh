#!/usr/bin/env bash
# Times element-wise arithmetic and functions on 10^6 to 10^7 elements through the kalix
# program (median of several runs, milliseconds per evaluation) and, when octave-cli is
# installed, the same expressions in GNU Octave beside it.
#
# Usage: bench/elementwise.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
# Each timed line evaluates the expression this many times, so that the
# clock's resolution does not dominate.
repeats=10
source "$(dirname "$0")/common.sh"

# label | setup | timed expression | Octave's expression where its text
# differs (Octave's ^ on a vector is the matrix power)
cases=(
  "x+1, 10^6|x=1:1000000;|x+1"
  "x.*x, 10^6|x=1:1000000;|x.*x"
  "x./3, 10^6|x=1:1000000;|x./3"
  "-x, 10^6|x=1:1000000;|-x"
  "1000x1000 + row|A=(1:1000)'+(1:1000); r=1:1000;|A+r"
  "1000x1000 .* column|A=(1:1000)'+(1:1000); c=(1:1000)';|A.*c"
  "x+1, 10^7|x=1:10000000;|x+1"
  "x.*x, 10^7|x=1:10000000;|x.*x"
  "1000x10000 + row|A=(1:1000)'+(1:10000); r=1:10000;|A+r"
  "sin(x)^2+cos(x)^2, 10^7|x=(1:10000000)/10000000;|sin(x)^2+cos(x)^2|sin(x).^2+cos(x).^2"
  "sin(x), 10^7|x=(1:10000000)/10000000;|sin(x)"
  "exp(x), 10^7|x=(1:10000000)/10000000;|exp(x)"
  "x^2, 10^7|x=(1:10000000)/10000000;|x^2|x.^2"
)

# One program per language: for each case its setup, then `runs` timed
# evaluations, each printing the milliseconds on a line of its own.
: >"$work/bench.k"
: >"$work/bench.m"
for c in "${cases[@]}"; do
  IFS='|' read -r label setup expression octaveExpression <<<"$c"
  add_timed_case "$repeats" "$setup" "y=$expression;" "$setup" "y=${octaveExpression:-$expression};"
done

labels=()
for c in "${cases[@]}"; do
  IFS='|' read -r label _ <<<"$c"
  labels+=("$label")
done
report_times expression 26 "${labels[@]}"
