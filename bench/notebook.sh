#!/usr/bin/env bash
# Times the notebook document: output inserted line by line (a 1000 x 10
# matrix, 10^5 short lines) and saving and reading a notebook of 20,000
# lines with 100 images (median of several runs, milliseconds). No other tool
# has this document; the figures stand alone.
#
# Usage: bench/notebook.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target notebook_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
"$build/notebook_bench" "$runs"
