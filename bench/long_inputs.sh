#!/usr/bin/env bash
# Times long inputs through the kalix program (best of several runs, wall
# milliseconds of the whole program): `load` of a file of n one-line
# function definitions (new ones, and the same file loaded twice so that
# the second load redefines them) and "-run" of a notebook of n commands,
# at several sizes, so that the growth with n shows (linear work: ten
# times the input, about ten times the time).
#
# Usage: bench/long_inputs.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"

mkdir -p "$work/home/config"
run_ms() {
  local best="" start end ms
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    HOME=$work/home XDG_CONFIG_HOME=$work/home/config "$@" >/dev/null 2>&1 </dev/null || true
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

row() {
  local label=$1 ms=$2
  printf '%-44s %10s%s\n' "$label" "$ms" "$(compare_baseline "$label" "$ms")"
}

printf '%-44s %10s\n' "case" "kalix ms"
for n in 2000 20000 100000; do
  awk -v n=$n 'BEGIN { for (i = 0; i < n; i++) printf "function f%d(x) := x+%d\n", i, i }' \
    >"$work/defs.k"
  printf 'load "%s"\n' "$work/defs.k" >"$work/load.k"
  row "load of $n one-line definitions" "$(run_ms sh -c "'$build/kalix' <'$work/load.k'")"
  if [ $n -le 20000 ]; then
    printf 'load "%s"\nload "%s"\n' "$work/defs.k" "$work/defs.k" >"$work/reload.k"
    row "load of $n definitions, then again" "$(run_ms sh -c "'$build/kalix' <'$work/reload.k'")"
  fi
done
for n in 10000 100000; do
  awk -v n=$n 'BEGIN { for (i = 0; i < n; i++) print ">1+1" }' >"$work/commands.kn"
  row "-run of a notebook of $n commands" "$(run_ms "$build/kalix" -run "$work/commands.kn")"
done
save_baseline
