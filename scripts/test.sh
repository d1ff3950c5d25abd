#!/usr/bin/env bash
# Installs the packages, builds twice (plain, and with AddressSanitizer + UBSan) and runs every test in both.
# Tests that need a display run on a private Xvfb, which keeps running between its clients (one
# that connects while it resets after the last has left finds no display); the rest of what a test needs (Mesa's software
# renderer, OpenAL's null output, private settings folders) comes with the test from the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
"$root/scripts/build.sh" --sanitize

jobs=$(nproc 2>/dev/null || echo 4)

status=0
for dir in build build-asan; do
  echo "=== tests in $dir"
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    ctest --test-dir "$root/$dir" --output-on-failure -j "$jobs" || status=1
done
exit $status
