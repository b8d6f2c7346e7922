# Shared set-up of the benchmark scripts; source it after setting `runs`.
# Sets `root`, `build` (KALIX_BUILD, default build/) and a scratch
# directory `work` removed at exit, and configures and builds kalix there.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KALIX_BUILD:-$root/build}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
fi
cmake --build "$build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

# Baseline: the kalix figures of an earlier run, one "label<TAB>ms" a line,
# in bench/baseline/<script>.txt. With KALIX_BENCH_SAVE=1 this run's figures
# are written there; otherwise each figure is shown beside its baseline with
# the ratio, marked "slower" when it takes more than 1.25 times as long.
baseline_file="$root/bench/baseline/$(basename "$0" .sh).txt"
: >"$work/baseline.new"

# "baseline ratio" for a label and this run's figure (empty without a
# baseline); records the figure for KALIX_BENCH_SAVE and for bench/all.sh's
# table (a later record_row of the label with an octave figure replaces it).
compare_baseline() {
  local label=$1 ms=$2 base
  printf '%s\t%s\n' "$label" "$ms" >>"$work/baseline.new"
  record_row "$label" "$ms"
  base=$(awk -F'\t' -v l="$label" '$1 == l { print $2 }' "$baseline_file" 2>/dev/null || true)
  if [ -n "$base" ] && [ -n "$ms" ] && [ "$ms" != "?" ]; then
    awk -v b="$base" -v m="$ms" 'BEGIN { r = b > 0 ? m / b : 0; printf "%12s %7.2f%s", b, r, (r > 1.25 ? " slower" : "") }'
  fi
}

# Writes the recorded figures as the new baseline when asked.
save_baseline() {
  if [ "${KALIX_BENCH_SAVE:-}" = 1 ]; then
    mkdir -p "$(dirname "$baseline_file")"
    cp "$work/baseline.new" "$baseline_file"
    echo "(baseline written to ${baseline_file#$root/})"
  fi
}

# When KALIX_BENCH_TABLE names a file, every case is added to it as a line
# "case<TAB>kalix ms<TAB>octave ms<TAB>load" (octave empty without
# octave-cli; load is the one-minute load average when the row was taken),
# for bench/all.sh to gather into one table.
record_row() {
  if [ -n "${KALIX_BENCH_TABLE:-}" ]; then
    printf '%s\t%s\t%s\t%s\n' "$1" "$2" "${3:-}" "$(machine_load)" >>"$KALIX_BENCH_TABLE"
  fi
}

# The one-minute load average, from /proc/loadavg ("?" where there is none).
machine_load() {
  cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo '?'
}

# Reads lines holding one number each, `runs` lines per case, and prints
# the median of each group (one decimal; the mean of the middle two for an
# even count). The median rather than the best, so that a figure is what a
# run typically takes.
median_of_groups() {
  awk -v runs="$runs" '/^ *[-0-9.e+]+ *$/ { v[n++] = $1 + 0 }
    END {
      for (k = 0; k * runs < n; k++) {
        c = 0
        for (i = k * runs; i < n && i < (k + 1) * runs; i++) g[c++] = v[i]
        for (i = 1; i < c; i++) { x = g[i]; for (j = i - 1; j >= 0 && g[j] > x; j--) g[j + 1] = g[j]; g[j + 1] = x }
        printf "%.1f\n", (c % 2 ? g[int(c / 2)] : (g[c / 2 - 1] + g[c / 2]) / 2)
      }
    }'
}

# Adds a case to bench.k and bench.m: its set-up lines (none when empty),
# then `runs` timed lines, each evaluating the statement `repeats` times and
# printing the milliseconds per evaluation.
# Usage: add_timed_case repeats setup statement octave-setup octave-statement
add_timed_case() {
  local repeats=$1 setup=$2 statement=$3 octaveSetup=$4 octaveStatement=$5
  local body="" octaveBody="" r i
  [ -z "$setup" ] || echo "$setup" >>"$work/bench.k"
  [ -z "$octaveSetup" ] || echo "$octaveSetup" >>"$work/bench.m"
  for ((r = 0; r < repeats; r++)); do
    body+="$statement "
    octaveBody+="$octaveStatement "
  done
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); $body 1000*(time()-t)/$repeats" >>"$work/bench.k"
    echo "tic; $octaveBody printf('%g\n', 1000*toc/$repeats);" >>"$work/bench.m"
  done
}

# Runs bench.k through kalix and, when octave-cli is installed, bench.m
# through Octave, and prints a table: one row per label (given as
# arguments, in the order of the groups), with `column` as the heading of
# the first column.
report_times() {
  local column=$1 width=$2
  shift 2
  (cd "$work" && "$build/kalix" <bench.k) | median_of_groups >"$work/kalix.times"
  local octave=""
  if command -v octave-cli >/dev/null; then
    (cd "$work" && octave-cli --quiet --no-gui bench.m) | median_of_groups >"$work/octave.times"
    octave=yes
  fi
  if [ -n "$octave" ]; then
    printf "%-${width}s %12s %12s %12s %7s\n" "$column" "kalix ms" "octave ms" "baseline ms" "ratio"
  else
    printf "%-${width}s %12s %12s %7s   (octave-cli not installed)\n" "$column" "kalix ms" "baseline ms" "ratio"
  fi
  local k=0 label kt ot
  for label in "$@"; do
    k=$((k + 1))
    kt=$(sed -n "${k}p" "$work/kalix.times")
    if [ -n "$octave" ]; then
      ot=$(sed -n "${k}p" "$work/octave.times")
      printf "%-${width}s %12s %12s %s\n" "$label" "${kt:-?}" "$ot" \
        "$(compare_baseline "$label" "${kt:-?}")"
    else
      ot=""
      printf "%-${width}s %12s %s\n" "$label" "${kt:-?}" "$(compare_baseline "$label" "${kt:-?}")"
    fi
    record_row "$label" "${kt:-?}" "$ot"
  done
  save_baseline
}

# After report_times: prints the ratio kalix/octave for each label (when
# octave-cli ran), with `width` as in report_times.
print_ratios() {
  local width=$1
  shift
  [ -s "$work/octave.times" ] || return 0
  printf "%-${width}s %12s\n" "ratio" "kalix/octave"
  local k=0 label
  for label in "$@"; do
    k=$((k + 1))
    printf "%-${width}s %12s\n" "$label" "$(paste -d' ' <(sed -n "${k}p" "$work/kalix.times") \
      <(sed -n "${k}p" "$work/octave.times") | awk '{ if ($2 > 0) printf "%.2f", $1 / $2 }')"
  done
}
