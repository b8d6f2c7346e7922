#!/usr/bin/env bash
# Times the start of the program (medians of `runs` runs, milliseconds, and
# the peak resident set in MB):
# - on the terminal: `echo quit | kalix`, beside `octave-cli --eval quit`
#   and `python3 -c pass` (needs /usr/bin/time for the peaks);
# - in the windows on Xvfb (skipped without it), with Maxima's start in the
#   background switched off: from the program's start to the run of the
#   program file it loads before its first prompt (which writes a file; a
#   start to a ready prompt), and, with a file that quits, to the program's
#   end. Octave has no windows here.
# The machine's load is shown with each row (bench/all.sh's table too).
#
# Usage: bench/startup.sh [runs]     (KALIX_BUILD selects the build directory)
set -euo pipefail
runs=${1:-10}
source "$(dirname "$0")/common.sh"
timer="$root/bench/start_timer.py"
home="$work/home"
mkdir -p "$home/config"
printf 'checkforupdates="0"\naskconfirmations="0"\nspellcheck="0"\nstartmaxima="0"\n' \
  >"$home/.kalix.profile"
export HOME="$home" XDG_CONFIG_HOME="$home/config"

# "wall cpu mb" of a command run with the input text ("-": none).
measure() {
  local input=$1
  shift
  python3 "$timer" "$runs" "$input" "$@"
}

printf '%-40s %9s %9s %8s %7s %12s %7s\n' "case" "wall ms" "cpu ms" "peak MB" "load" "baseline" "ratio"
row() {
  local label=$1 wall=$2 cpu=$3 mb=$4
  printf '%-40s %9s %9s %8s %7s %s\n' "$label" "$wall" "$cpu" "$mb" "$(machine_load)" \
    "$(compare_baseline "$label" "$wall")"
}

read -r k_wall k_cpu k_mb < <(unset DISPLAY WAYLAND_DISPLAY; measure $'quit\n' "$build/kalix")
row "start: terminal, echo quit | kalix" "$k_wall" "$k_cpu" "$k_mb"
o_wall=""
if command -v octave-cli >/dev/null; then
  read -r o_wall o_cpu o_mb < <(measure - octave-cli --norc --eval quit)
  row "  octave-cli --eval quit" "$o_wall" "$o_cpu" "$o_mb"
fi
python=$(command -v /usr/bin/python3 python3 | head -1)
read -r p_wall p_cpu p_mb < <(measure - "$python" -c pass)
row "  python3 -c pass" "$p_wall" "$p_cpu" "$p_mb"
record_row "start: terminal, echo quit | kalix" "$k_wall" "$o_wall"

if command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$work/display")"
  printf 'open("%s","w"); writeln("ready"); close();\n' "$work/ready.txt" >"$work/ready.k"
  r_wall=$(python3 "$timer" --until "$work/ready.txt" "$runs" - "$build/kalix" "$work/ready.k")
  row "start: windows (Xvfb) to the prompt" "$r_wall" "-" "-"
  record_row "start: windows (Xvfb) to the prompt" "$r_wall"
  echo quit >"$work/quit.k"
  read -r w_wall w_cpu w_mb < <(measure - "$build/kalix" "$work/quit.k")
  row "start: windows (Xvfb) to a quit" "$w_wall" "$w_cpu" "$w_mb"
  record_row "start: windows (Xvfb) to a quit" "$w_wall"
else
  echo "(Xvfb not installed: no windows start)"
fi
save_baseline
