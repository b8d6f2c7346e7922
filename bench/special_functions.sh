#!/usr/bin/env bash
# Times special functions and distributions where their kernels take care
# (median of several runs, milliseconds per evaluation): complex gamma next
# to the real axis, Bessel Y and K at tiny arguments, the incomplete gamma
# function at large orders (Temme's expansion; the library never ended at
# 2^53), the inverse chi-square at probability 0 and the inverse incomplete
# beta at tiny parameters (both never ended), Student's t with 2^31-1
# degrees of freedom (seconds a value in the library's sum), and polymult of
# two 10^5 coefficient vectors; beside them GNU Octave when octave-cli is
# installed, where it has the same operation.
#
# Usage: bench/special_functions.sh [runs]     (KALIX_BUILD selects the
# build directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

# label | evaluations per timed line | setup | kalix | Octave
cases=(
  "gamma of 10^6 complex near the axis|2|z=(1:1000000)/1e5-5+1e-10i;|gamma(z)|x=0;"
  "bessely at 10^6 tiny x|2|x=(1:1000000)*1e-300;|bessely(x,0.3)|bessely(0.3,x)"
  "gammai at a=2^53, 10^5 values|2|a=2^53+(1:100000)*2^30;|gammai(a,2^53)|gammainc(2^53,a)"
  "invchicdis(0,n), 10^5 values|2|n=1:100000;|invchicdis(0,n)|x=0;"
  "invbetai at a=b=1e-300, 10^5 values|2|y=(1:100000)/100001;|invbetai(y,1e-300,1e-300)|betaincinv(y,1e-300,1e-300)"
  "tdis with 2^31-1 degrees, 10^5 values|2|t=(1:100000)/1e4-5;|tdis(t,2147483647)|x=0;"
  "polymult of 10^5 by 10^5|1|p=1:100000;|polymult(p,p)|conv(p,p)"
)

: >"$work/bench.k"
: >"$work/bench.m"
labels=()
for c in "${cases[@]}"; do
  IFS='|' read -r label repeats setup expression octaveExpression <<<"$c"
  labels+=("$label")
  add_timed_case "$repeats" "$setup" "y=$expression;" "${setup//1i/i}" "y=$octaveExpression;"
done

report_times case 40 "${labels[@]}"
