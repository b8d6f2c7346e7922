#!/usr/bin/env bash
# Times the integrators of differential equations through the kalix program
# (median of several runs, microseconds per call) beside GNU Octave when octave-cli is
# installed: runge2 against ode45 on y' = -y over [0, 10]; lsoda against
# lsode (same relative and absolute tolerances) on the Robertson problem up
# to t = 1e5 on a logarithmic grid and on y' = -y at 1001 output points.
# Separate untimed runs count the calls of the right-hand side and give the
# error at the end point (Robertson: of y1 against a reference value).
#
# Usage: bench/ode.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
# Each timed line repeats the call this many times, so that the clock's
# resolution does not dominate.
repeats=100
source "$(dirname "$0")/common.sh"

labels=("runge2 / ode45, y'=-y on [0,10], 1e-6"
  "lsoda / lsode, Robertson to 1e5, 1e-6"
  "lsoda / lsode, y'=-y at 1001 points, 1e-6")
kalix_calls=('runge2("decay", 0, 10, 1, 1e-6, 0.1)'
  'lsoda("rob", [0, 10^(-5:1:5)], [1, 0, 0], 1e-6, 0, 0)'
  'lsoda("decay2", 0:0.01:10, 1, 1e-6, 0, 0)')
octave_calls=("ode45(@decay, [0 10], 1, odeset('RelTol', 1e-6, 'AbsTol', 1e-6))"
  "lsode(@rob, [1; 0; 0], [0, 10.^(-5:5)])"
  "lsode(@decay2, 1, 0:0.01:10)")
# The value compared at the end: y(10) against exp(-10), y1(1e5) against
# the reference 0.01786592114226676.
kalix_checks=('{y, h} = runge2("decay", 0, 10, 1, 1e-6, 0.1); abs(y - exp(-10))'
  'y = lsoda("rob", [0, 10^(-5:1:5)], [1, 0, 0], 1e-6, 0, 0); abs(y[1, 12] - 0.01786592114226676)'
  'y = lsoda("decay2", 0:0.01:10, 1, 1e-6, 0, 0); abs(y[1001] - exp(-10))')
octave_checks=("[t, y] = ode45(@decay, [0 10], 1, odeset('RelTol', 1e-6, 'AbsTol', 1e-6)); printf('%g\n', abs(y(end) - exp(-10)));"
  "y = lsode(@rob, [1; 0; 0], [0, 10.^(-5:5)]); printf('%g\n', abs(y(end, 1) - 0.01786592114226676));"
  "y = lsode(@decay2, 1, 0:0.01:10); printf('%g\n', abs(y(end) - exp(-10)));")

cat >"$work/functions.k" <<'EOF2'
calls = 0;
function decay(x, y)
  global calls; calls = calls + 1;
  return -y
endfunction
function decay2(t, y)
  global calls; calls = calls + 1;
  return -y
endfunction
function rob(t, y)
  global calls; calls = calls + 1;
  return [-0.04*y[1] + 1e4*y[2]*y[3], 0.04*y[1] - 1e4*y[2]*y[3] - 3e7*y[2]^2, 3e7*y[2]^2]
endfunction
EOF2
cat >"$work/functions.m" <<'EOF2'
1;
global calls; calls = 0;
function dy = decay(x, y)
  global calls; calls = calls + 1;
  dy = -y;
end
function dy = decay2(y, t)
  global calls; calls = calls + 1;
  dy = -y;
end
function dy = rob(y, t)
  global calls; calls = calls + 1;
  dy = [-0.04*y(1) + 1e4*y(2)*y(3); 0.04*y(1) - 1e4*y(2)*y(3) - 3e7*y(2)^2; 3e7*y(2)^2];
end
lsode_options('relative tolerance', 1e-6);
lsode_options('absolute tolerance', 1e-6);
EOF2

cp "$work/functions.k" "$work/bench.k"
cp "$work/functions.m" "$work/bench.m"
for k in "${!labels[@]}"; do
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); for i=1 to $repeats; r=${kalix_calls[$k]}; end; 1000000*(time()-t)/$repeats" >>"$work/bench.k"
    echo "tic; for i=1:$repeats, r=${octave_calls[$k]}; end; printf('%g\n', 1000000*toc/$repeats);" >>"$work/bench.m"
  done
done
# Calls and end-point errors, untimed.
cp "$work/functions.k" "$work/count.k"
cp "$work/functions.m" "$work/count.m"
for k in "${!labels[@]}"; do
  echo "calls = 0; ${kalix_checks[$k]}, calls" >>"$work/count.k"
  echo "calls = 0; ${octave_checks[$k]} printf('%d\n', calls);" >>"$work/count.m"
done

(cd "$work" && "$build/kalix" <bench.k) | median_of_groups >"$work/kalix.times"
(cd "$work" && "$build/kalix" <count.k) >"$work/kalix.count"
octave=""
if command -v octave-cli >/dev/null; then
  (cd "$work" && octave-cli --quiet --no-gui bench.m 2>/dev/null) | median_of_groups >"$work/octave.times"
  (cd "$work" && octave-cli --quiet --no-gui count.m 2>/dev/null) >"$work/octave.count"
  octave=yes
fi
printf '%-44s %9s %9s %6s %8s %8s %10s %10s\n' "case" "kalix us" "octave us" "ratio" \
  "k calls" "o calls" "k error" "o error"
for k in "${!labels[@]}"; do
  kt=$(sed -n "$((k + 1))p" "$work/kalix.times")
  ke=$(sed -n "$((2 * k + 1))p" "$work/kalix.count" | tr -d ' ')
  kc=$(sed -n "$((2 * k + 2))p" "$work/kalix.count" | tr -d ' ')
  if [ -n "$octave" ]; then
    ot=$(sed -n "$((k + 1))p" "$work/octave.times")
    oe=$(sed -n "$((2 * k + 1))p" "$work/octave.count")
    oc=$(sed -n "$((2 * k + 2))p" "$work/octave.count")
    ratio=$(awk -v a="$kt" -v b="$ot" 'BEGIN { printf "%.2f", a / b }')
    printf '%-44s %9s %9s %6s %8s %8s %10s %10s\n' "${labels[$k]}" "$kt" "$ot" "$ratio" \
      "$kc" "$oc" "$ke" "$oe"
    record_row "${labels[$k]}" "$(awk -v t="$kt" 'BEGIN { printf "%.3f", t / 1000 }')" \
      "$(awk -v t="$ot" 'BEGIN { printf "%.3f", t / 1000 }')"
  else
    printf '%-44s %9s %9s %6s %8s %8s %10s %10s\n' "${labels[$k]}" "$kt" "-" "-" "$kc" "-" \
      "$ke" "-"
  fi
done
[ -n "$octave" ] || echo "(octave-cli not installed)"
