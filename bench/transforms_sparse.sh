#!/usr/bin/env bash
# Times the Fourier transform of real vectors of 2^20 and 10^6 (not a power
# of two) elements and the product of a 10^6 x 10^6 tridiagonal compressed
# matrix with a vector through the kalix program (median of several runs,
# milliseconds); beside them GNU Octave (fft, sparse times vector) when
# octave-cli is installed. Kalix transforms on one thread, so Octave's FFTW
# is set to one thread as well (its default is one per core).
#
# Usage: bench/transforms_sparse.sh [runs]     (KALIX_BUILD selects the
# build directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"
export OPENBLAS_NUM_THREADS=1
# Each timing repeats the statement, so that the clock's resolution (a
# millisecond) does not dominate.
repeats=5

labels=("fft, n=2^20" "fft, n=10^6" "cpxmult tridiagonal 10^6")
kalix_setups=(
  "x=sin(1:2^20);"
  "x=sin(1:10^6);"
  "n=10^6; r=(1:n)'; s=(1:n-1)'; T=cpxset(cpxzeros(n,n),(r|r|(0*r+4)) _ (s|(s+1)|(0*s-1)) _ ((s+1)|s|(0*s-1))); v=sin(r);"
)
kalix_statements=("y=fft(x);" "y=fft(x);" "y=cpxmult(T,v);")
octave_setups=(
  "fftw('threads', 1); x=sin(1:2^20);"
  "x=sin(1:10^6);"
  "n=10^6; e=ones(n,1); T=spdiags([-e,4*e,-e],-1:1,n,n); v=sin((1:n)');"
)
octave_statements=("y=fft(x);" "y=fft(x);" "y=T*v;")

: >"$work/bench.k"
: >"$work/bench.m"
for k in "${!labels[@]}"; do
  add_timed_case "$repeats" "${kalix_setups[$k]}" "${kalix_statements[$k]}" \
    "${octave_setups[$k]}" "${octave_statements[$k]}"
done
report_times case 26 "${labels[@]}"
print_ratios 26 "${labels[@]}"
