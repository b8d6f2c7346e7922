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

# Reads lines holding one number each, `runs` lines per case, and prints
# the smallest of each group (one decimal).
best_of_groups() {
  awk -v runs="$runs" '/^ *[-0-9.e+]+ *$/ { v = $1 + 0; k = int(n / runs); if (n % runs == 0 || v < m[k]) m[k] = v; n++ }
    END { for (k = 0; k < n / runs; k++) printf "%.1f\n", m[k] }'
}
