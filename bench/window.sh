#!/usr/bin/env bash
# Times the notebook window (offscreen, with the interpreter on its thread):
# keystroke to paint while typing in a notebook of 20,000 lines, a repaint
# and paging there, and 10^5 short lines printed until the prompt is back
# (milliseconds). No other tool has this window; the figures stand beside
# the goals.
#
# Usage: bench/window.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"
cmake --build "$build" --target window_bench >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
QT_QPA_PLATFORM=offscreen "$build/window_bench" "$runs" 2>/dev/null
