#!/usr/bin/env bash
# Installs the packages, then configures and builds into build/ (or build-asan/ with --sanitize).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"

dir="$root/build"
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  dir="$root/build-asan"
  flags+=(-DTS_SANITIZE=ON -DTS_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
jobs=$(nproc 2>/dev/null || echo 4)
cmake -S "$root" -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
