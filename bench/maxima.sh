#!/usr/bin/env bash
# Times the Maxima bridge: the start of Maxima on first use, and 1000 round
# trips mxm("diff(x^n,x)") through kalix, beside piping the same 1000
# commands straight into maxima (its own start subtracted). Best of several
# runs, milliseconds.
#
# Usage: bench/maxima.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"
if ! command -v maxima >/dev/null; then
  echo "maxima is not installed: nothing to compare"
  exit 0
fi

# kalix: each run is a new program, so the first mxm starts Maxima (which,
# like exec, starts without a question only with askexec 0).
printf 'askexec="0"\n' >"$work/.kalix.profile"
cat >"$work/bench.k" <<'K'
t=time(); mxm("1"); 1000*(time()-t)
t=time(); for i=1 to 1000; mxm("diff(x^n,x)"); end; 1000*(time()-t)
mxm("diff(x^n,x)")
K
: >"$work/kalix.start"
: >"$work/kalix.loop"
for ((i = 0; i < runs; i++)); do
  out=$( (cd "$work" && HOME="$work" "$build/kalix" <bench.k) )
  [ "$(sed -n 3p <<<"$out")" = "n*x^(n-1)" ] || { echo "wrong answer: $out"; exit 1; }
  sed -n 1p <<<"$out" >>"$work/kalix.start"
  sed -n 2p <<<"$out" >>"$work/kalix.loop"
done

# maxima alone: the same commands in one pipe, minus a run without them.
{ echo 'display2d:false$'; for ((k = 0; k < 1000; k++)); do echo 'diff(x^n,x);'; done; } >"$work/commands.mac"
echo 'display2d:false$' >"$work/empty.mac"
now() { date +%s%N; }
: >"$work/maxima.loop"
: >"$work/maxima.start"
for ((i = 0; i < runs; i++)); do
  a=$(now); maxima <"$work/empty.mac" >/dev/null 2>&1; b=$(now)
  maxima <"$work/commands.mac" >/dev/null 2>&1; c=$(now)
  echo "$(( (b - a) / 1000000 ))" >>"$work/maxima.start"
  echo "$(( (c - b - (b - a)) / 1000000 ))" >>"$work/maxima.loop"
done

best() { sort -g "$1" | head -1; }
ks=$(best "$work/kalix.start"); kl=$(best "$work/kalix.loop")
ms=$(best "$work/maxima.start"); ml=$(best "$work/maxima.loop")
printf '%-40s %10s %10s %8s %12s %7s\n' "case" "kalix ms" "maxima ms" "ratio" "baseline ms" "ratio"
printf '%-40s %10s %10s %8s %s\n' "start of Maxima on first use" "$ks" "$ms" \
  "$(awk -v k="$ks" -v m="$ms" 'BEGIN { printf "%.2f", (m > 0) ? k / m : 0 }')" \
  "$(compare_baseline "maxima start" "$ks")"
printf '%-40s %10s %10s %8s %s\n' "1000 mxm(\"diff(x^n,x)\")" "$kl" "$ml" \
  "$(awk -v k="$kl" -v m="$ml" 'BEGIN { printf "%.2f", (m > 0) ? k / m : 0 }')" \
  "$(compare_baseline "1000 mxm round trips" "$kl")"
save_baseline
