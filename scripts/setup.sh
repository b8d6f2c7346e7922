#!/usr/bin/env bash
# Installs the Debian packages the build needs (when root and missing) and
# configures and builds Kalix into the build directory given as $1. With
# KALIX_TARGETS set (e.g. "kalix") only those targets are built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true

packages=(g++ cmake ninja-build pkg-config libgtest-dev libreadline-dev libalglib-dev
          libfftw3-dev libopenblas-dev liblapacke-dev libpcre2-dev zlib1g-dev
          libcurl4-openssl-dev libsndfile1-dev libasound2-dev qt6-base-dev fonts-liberation2
          ghostscript libxml2-utils maxima maxima-share maxima-doc gnuplot-x11 libpython3-dev
          python3-numpy tcc
          wamerican wngerman
          p7zip-full texlive-latex-base texlive-luatex fonts-dejavu-core dvipng python3
          librsvg2-bin python3-pil xvfb xdotool x11-apps clang-format)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ]; then
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing packages: ${missing[*]} (run as root or install them with apt-get)" >&2
    exit 1
  fi
fi

cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
if [ -n "${KALIX_TARGETS:-}" ]; then
  # shellcheck disable=SC2086
  cmake --build "$build" --target $KALIX_TARGETS
else
  cmake --build "$build"
fi
