#!/usr/bin/env bash
# Times calls into foreign code through the kalix program (median of several
# runs, milliseconds): 10^5 calls of a trivial Python function through py$,
# 10^6 calls of a tinyc function from a loop, and the definition (tcc
# compile and load) of a 100-line tinyc function. Beside them: a plain
# python3 loop calling the same Python function, GNU Octave calling a
# built-in function as often, and tcc run directly on the same file.
#
# Usage: bench/foreign.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

# Python and libraries need the permission; nobody answers it in a pipe.
mkdir -p "$work/config/kalix"
echo 'askexec="0"' >"$work/config/kalix/settings"

# A 100-line C body: a chain of updates of one value.
{
  echo "function tinyc long100 (x)"
  echo "  double v;"
  echo "  getreal(hd[0], &v);"
  for ((k = 1; k <= 97; k++)); do echo "  v = v * 0.5 + $k;"; done
  echo "  newreal(v);"
  echo "endfunction"
} >"$work/long100.k"

{
  echo "function python inc(x)"
  echo "  return x + 1"
  echo "endfunction"
  echo "function tinyc addone (x)"
  echo "  double v;"
  echo "  getreal(hd[0], &v);"
  echo "  newreal(v + 1);"
  echo "endfunction"
  echo "inc(1), addone(1)"
  for ((i = 0; i < runs; i++)); do
    echo 't=time(); for i=1 to 100000; y=py$inc(i); end; 1000*(time()-t)'
  done
  for ((i = 0; i < runs; i++)); do
    echo 't=time(); for i=1 to 1000000; y=addone(i); end; 1000*(time()-t)'
  done
  for ((i = 0; i < runs; i++)); do
    echo 't=time(); for i=1 to 1000000; y=abs(i); end; 1000*(time()-t)'
  done
  for ((i = 0; i < runs; i++)); do
    echo 't=time(); load long100; 1000*(time()-t)'
  done
  echo 'long100(1)'
} >"$work/bench.k"

{
  for ((i = 0; i < runs; i++)); do
    echo "tic; for i=1:1e5, y=plus(i,1); end; printf('%g\n', 1000*toc);"
  done
  for ((k = 0; k < 2; k++)); do
    for ((i = 0; i < runs; i++)); do
      echo "tic; for i=1:1e6, y=plus(i,1); end; printf('%g\n', 1000*toc);"
    done
  done
} >"$work/bench.m"

cat >"$work/bench.py" <<EOF
import time
def inc(x):
    return x + 1
for n, f in ((100000, inc), (1000000, abs)):
    for r in range($runs):
        t = time.perf_counter()
        for i in range(1, n + 1):
            y = f(i)
        print(1000 * (time.perf_counter() - t))
EOF

# The first two lines of kalix's output check that both functions work.
(cd "$work" && HOME="$work" XDG_CONFIG_HOME="$work/config" "$build/kalix" <bench.k) >"$work/kalix.out"
if [ "$(sed -n 1,2p "$work/kalix.out" | tr -d ' ' | tr '\n' ' ')" != "2 2 " ]; then
  echo "the functions did not work:"
  cat "$work/kalix.out"
  exit 1
fi
sed -n '3,$p' "$work/kalix.out" | median_of_groups >"$work/kalix.times"

columns() { printf "%-40s %10s %10s %10s %12s %7s\n" "$@"; }
columns "case" "kalix ms" "octave ms" "python ms" "baseline ms" "ratio"

octave=""
if command -v octave-cli >/dev/null; then
  (cd "$work" && octave-cli --quiet --no-gui bench.m) | median_of_groups >"$work/octave.times"
  octave=yes
fi
python=""
if command -v python3 >/dev/null; then
  python3 "$work/bench.py" | median_of_groups >"$work/python.times"
  python=yes
fi

# tcc alone on the file the definition wrote, as often as kalix ran it.
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  (cd "$work" && tcc -shared -Wl,-Bsymbolic -I "$build/dll" -o direct.so long100.c \
    "$build/dll/dlldef.c" -lm)
  echo "scale=1; ($(date +%s%N) - $start) / 1000000" | bc
done | median_of_groups >"$work/tcc.times"

labels=("py\$inc(i), 10^5 calls" "tinyc addone(i), 10^6 calls" "builtin abs(i), 10^6 calls"
  "tinyc definition, 100 lines")
octaveRow=(1 2 3 "")
pythonRow=(1 "" 2 "")
for k in 0 1 2 3; do
  kt=$(sed -n "$((k + 1))p" "$work/kalix.times")
  ot="-"
  [ -n "$octave" ] && [ -n "${octaveRow[$k]}" ] && ot=$(sed -n "${octaveRow[$k]}p" "$work/octave.times")
  pt="-"
  [ -n "$python" ] && [ -n "${pythonRow[$k]}" ] && pt=$(sed -n "${pythonRow[$k]}p" "$work/python.times")
  [ "$k" = 3 ] && pt="tcc $(cat "$work/tcc.times")"
  columns "${labels[$k]}" "${kt:-?}" "$ot" "$pt" $(compare_baseline "${labels[$k]}" "${kt:-?}")
  if [ "$ot" != "-" ]; then record_row "${labels[$k]}" "${kt:-?}" "$ot"; fi
done
echo "(octave: plus(i,1) in a loop; python: the same function, abs for the C row; last row: tcc alone)"
save_baseline
