#!/usr/bin/env bash
# Runs every benchmark script in bench/ (each prints its own lines) and then
# one table of all their cases: kalix ms, octave ms when octave-cli is
# installed, the ratio kalix / octave and the machine's one-minute load when
# the row was taken (so that a figure from a loaded machine shows as such).
# The figures are medians of the runs.
#
# Usage: bench/all.sh [runs]     (runs is handed to every script; KALIX_BUILD
# selects the build directory, default build/)
set -euo pipefail
dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
table=$(mktemp)
rows=$(mktemp)
trap 'rm -f "$table" "$rows"' EXIT

# Every script but this one and the shared set-up.
for script in "$dir"/*.sh; do
  case "$(basename "$script")" in
    all.sh | common.sh) continue ;;
  esac
  echo "== $(basename "$script")"
  : >"$rows"
  # Octave's complaint at exit about an ignored exception is left out.
  { KALIX_BENCH_TABLE=$rows bash "$script" "$@" 2>&1 || echo "($(basename "$script") failed)"; } |
    grep -v 'execution_exception' || true
  # One row a case, in the order first seen: the last row that has an
  # octave figure, else the last row.
  awk -F'\t' '!($1 in row) { order[n++] = $1 }
    !($1 in row) || $3 != "" || !has[$1] { row[$1] = $0; has[$1] = has[$1] || $3 != "" }
    END { for (k = 0; k < n; k++) print row[order[k]] }' "$rows" >>"$table"
  echo
done

echo "== all cases, medians ($(nproc) cores)"
if command -v octave-cli >/dev/null; then
  printf '%-44s %10s %10s %7s %7s\n' "case" "kalix ms" "octave ms" "ratio" "load"
  awk -F'\t' '{ r = ($2 + 0 > 0 && $3 + 0 > 0) ? sprintf("%.2f", $2 / $3) : "-";
                printf "%-44s %10s %10s %7s %7s\n", $1, $2, ($3 == "" ? "-" : $3), r, ($4 == "" ? "?" : $4) }' "$table"
else
  printf '%-44s %10s %7s   (octave-cli not installed)\n' "case" "kalix ms" "load"
  awk -F'\t' '{ printf "%-44s %10s %7s\n", $1, $2, ($4 == "" ? "?" : $4) }' "$table"
fi
