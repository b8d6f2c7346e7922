#!/usr/bin/env bash
# Times dense linear algebra through the kalix program (median of several
# runs, milliseconds): A\b for n = 200, 500, 1000, lu for n = 500, svd and
# jacobi for n = 300; beside them GNU Octave when octave-cli is installed
# (A\b, lu, svd with U, S and V, and eig of the symmetric matrix, which is
# what Octave has for jacobi). Both run BLAS on one thread.
#
# Usage: bench/linear_algebra.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"
export OPENBLAS_NUM_THREADS=1

# label | repeats per timing | kalix setup | kalix statement | Octave setup |
# Octave statement. A timing repeats the statement, so that the clock's
# resolution (a millisecond) does not dominate.
cases=(
  "A\\b, n=200|20|A=fastrandom([200,200]); b=fastrandom([200,1]);|x=A\\b;|A=rand(200); b=rand(200,1);|x=A\\b;"
  "A\\b, n=500|5|A=fastrandom([500,500]); b=fastrandom([500,1]);|x=A\\b;|A=rand(500); b=rand(500,1);|x=A\\b;"
  "A\\b, n=1000|1|A=fastrandom([1000,1000]); b=fastrandom([1000,1]);|x=A\\b;|A=rand(1000); b=rand(1000,1);|x=A\\b;"
  "lu, n=500|5|A=fastrandom([500,500]);|{B,r,c,d}=lu(A);|A=rand(500);|[L,U,P]=lu(A);"
  "svd, n=300|1|A=fastrandom([300,300]);|{U,w,V}=svd(A);|A=rand(300);|[U,S,V]=svd(A);"
  "jacobi (eig), n=300|1|A=fastrandom([300,300]); S=A+A';|e=jacobi(S);|A=rand(300); S=A+A';|e=eig(S);"
)

: >"$work/bench.k"
: >"$work/bench.m"
labels=()
for c in "${cases[@]}"; do
  IFS='|' read -r label repeats setup statement octaveSetup octaveStatement <<<"$c"
  labels+=("$label")
  add_timed_case "$repeats" "$setup" "$statement" "$octaveSetup" "$octaveStatement"
done
report_times case 22 "${labels[@]}"
print_ratios 22 "${labels[@]}"
