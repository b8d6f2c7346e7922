#!/usr/bin/env bash
# Times the system builtins through the kalix program (median of several
# runs, milliseconds): exec of a program that writes 10 MB of text lines
# through the pipe (read while it runs, turned into a string vector), 100
# execs of a program that does nothing (start and wait), and dir of a
# directory of 10^5 files; beside them GNU Octave's system and dir when octave-cli is
# installed. The throughput of the pipe is printed below the table.
#
# Usage: bench/system.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/common.sh"

# 10 MB of lines of 100 bytes, and 10^5 empty files.
awk 'BEGIN { line = sprintf("%099d", 0); for (i = 0; i < 100000; i++) print line }' >"$work/big.txt"
mkdir "$work/many"
(cd "$work/many" && seq -f "f%06g.txt" 1 100000 | xargs touch)

# Commands are allowed without a question in this run (a home of its own,
# so that no profile of the user's decides).
mkdir -p "$work/config/kalix" "$work/home"
echo 'askexec="0"' >"$work/config/kalix/settings"
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"

labels=("exec cat of 10 MB, 10^5 lines" "exec true, 100 times" "dir of 10^5 files")
kalix_calls=('{v, c} = exec("cat", "big.txt", "", 1, 0, 1)'
  'for j = 1 to 100; c = exec("true", "", "", 0, 0, 1); end'
  'd = dir("many/*")')
octave_calls=("[c, v] = system('cat big.txt')" "for j = 1:100, c = system('true'); end"
  "d = dir('many/*')")

: >"$work/bench.k"
: >"$work/bench.m"
for k in "${!labels[@]}"; do
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); ${kalix_calls[$k]}; 1000*(time()-t)" >>"$work/bench.k"
    echo "tic; ${octave_calls[$k]}; printf('%g\n', 1000*toc);" >>"$work/bench.m"
  done
done

report_times case 34 "${labels[@]}"
best=$(sed -n 1p "$work/kalix.times")
awk -v ms="$best" 'BEGIN { if (ms > 0) printf "kalix pipe throughput: %.0f MB/s (10 MB in %s ms)\n", 10 / (ms / 1000), ms }'
