#!/usr/bin/env bash
# Times interval arithmetic on 10^6 intervals through the kalix program
# (median of several runs, milliseconds per evaluation) and, when octave-cli
# is installed, GNU Octave on the plain bound vectors beside it: the same
# operation on the lower and on the upper bounds, without outward rounding,
# a floor for what the interval forms can take.
#
# Usage: bench/intervals.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
# Each timed line evaluates the expression this many times, so that the
# clock's resolution does not dominate.
repeats=10
source "$(dirname "$0")/common.sh"

# The operands: intervals above 0 of differing widths, and in Octave their
# bound vectors al, ah, bl, bh.
setup="x=(1:1000000)/1000000;"
kalixSetup="$setup a=interval(x,x+0.25); b=interval(x+1,x+2);"
octaveSetup="$setup al=x; ah=x+0.25; bl=x+1; bh=x+2;"

# label | kalix statement | Octave statements
cases=(
  "interval a+b, 10^6|y=a+b;|yl=al+bl; yh=ah+bh;"
  "interval a*b, 10^6|y=a*b;|yl=al.*bl; yh=ah.*bh;"
  "interval a/b, 10^6|y=a/b;|yl=al./bh; yh=ah./bl;"
  "interval sqrt(a), 10^6|y=sqrt(a);|yl=sqrt(al); yh=sqrt(ah);"
)

echo "$kalixSetup" >"$work/bench.k"
echo "$octaveSetup" >"$work/bench.m"
labels=()
for c in "${cases[@]}"; do
  IFS='|' read -r label statement octaveStatements <<<"$c"
  labels+=("$label")
  add_timed_case "$repeats" "" "$statement" "" "$octaveStatements"
done

report_times "interval operation" 26 "${labels[@]}"
print_ratios 26 "${labels[@]}"
echo "(load $(machine_load))"
