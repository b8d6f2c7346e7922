#!/usr/bin/env bash
# Times the everyday matrix builtins through the kalix program (median of
# several runs, milliseconds per call): sum, cumsum and max over 10^7
# elements, sort and unique of 10^6, find in a sorted vector of 10^7; and,
# when octave-cli is installed, the same in GNU Octave beside it (sort and
# unique with both results, as kalix always gives both; find as lookup).
# The ratios kalix / octave follow the table.
#
# Usage: bench/matrices.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

# Random data: kalix draws 15-bit numbers, so two draws make one value.
kalix_setup='x=fastrandom([1,10000000]); y=fastrandom([1,1000000])+fastrandom([1,1000000])/32768; z=floor(y*1000); v=1:10000000; q=10000000*fastrandom([1,1000000]);'
octave_setup='x=rand(1,10000000); y=rand(1,1000000); z=floor(y*1000); v=1:10000000; q=10000000*rand(1,1000000);'

# label | kalix statement | octave statement; each timed line runs the
# statement `repeats` times, so that the clock's resolution does not count.
repeats=10
cases=(
  "sum, 10^7|s=sum(x);|s=sum(x);"
  "cumsum, 10^7|s=cumsum(x);|s=cumsum(x);"
  "max, 10^7|s=max(x);|s=max(x);"
  "sort, 10^6 distinct|{s,i}=sort(y);|[s,i]=sort(y);"
  "sort, 10^6 (octave: values only)|{s,i}=sort(y);|s=sort(y);"
  "unique, 10^6 with repeats|{u,i}=unique(z);|[u,i]=unique(z);"
  "find 10^6 values in 10^7|s=find(v,q);|s=lookup(v,q);"
)

echo "$kalix_setup" >"$work/bench.k"
echo "$octave_setup" >"$work/bench.m"
labels=()
for c in "${cases[@]}"; do
  IFS='|' read -r label kalixStatement octaveStatement <<<"$c"
  labels+=("$label")
  add_timed_case "$repeats" "" "$kalixStatement" "" "$octaveStatement"
done

report_times builtin 34 "${labels[@]}"
if [ -f "$work/octave.times" ]; then
  echo
  paste -d' ' "$work/kalix.times" "$work/octave.times" |
    awk -v list="$(printf '%s|' "${labels[@]}")" 'BEGIN { n = split(list, label, "|") }
      { printf "%-34s %12.2f\n", label[NR], ($2 > 0 ? $1 / $2 : 0) }' |
    sed '1i ratio kalix/octave'
fi
