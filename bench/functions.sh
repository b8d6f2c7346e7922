#!/usr/bin/env bash
# Times user-defined functions through the kalix program (median of several
# runs, milliseconds): a scalar loop inside a function (s=s+i, 10^6 times),
# the recursive fib(20), and map of a one-line function over 10^5
# elements; beside them the same in GNU Octave when octave-cli is installed.
#
# Usage: bench/functions.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

labels=("loop s=s+i in a function, 10^6" "recursive fib(20)" "map over 10^5 elements")
kalix_calls=("sumloop(1000000)" "fib(20)" "map(\"square\", x)")
octave_calls=("sumloop(1000000)" "fib(20)" "arrayfun(@square, x)")

cat >"$work/bench.k" <<'EOF'
function sumloop(n)
  s = 0;
  for i = 1 to n; s = s + i; end;
  return s
endfunction
function fib(n)
  if n < 2 then return n; endif;
  return fib(n-1) + fib(n-2)
endfunction
function square(x) := x^2
x = 1:100000;
EOF

cat >"$work/bench.m" <<'EOF'
1;
function s = sumloop(n)
  s = 0;
  for i = 1:n
    s = s + i;
  end
end
function r = fib(n)
  if n < 2
    r = n;
  else
    r = fib(n-1) + fib(n-2);
  end
end
function y = square(x)
  y = x^2;
end
x = 1:100000;
EOF

for k in "${!labels[@]}"; do
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); y=${kalix_calls[$k]}; 1000*(time()-t)" >>"$work/bench.k"
    echo "tic; y=${octave_calls[$k]}; printf('%g\n', 1000*toc);" >>"$work/bench.m"
  done
done

report_times case 34 "${labels[@]}"
