#!/usr/bin/env bash
# Installs the packages, builds twice (plain, and with AddressSanitizer + UBSan) and runs every test in both.
# Tests that need a display run on a private Xvfb with Mesa's software renderer; sound uses OpenAL's null output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
"$root/scripts/build.sh" --sanitize

export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS=null
export SDL_AUDIODRIVER=dummy
export TS_HEADLESS=1          # message boxes are logged to stderr, never shown
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export XDG_CONFIG_HOME=$(mktemp -d) XDG_DATA_HOME=$(mktemp -d)
jobs=$(nproc 2>/dev/null || echo 4)

status=0
for dir in build build-asan; do
  echo "=== tests in $dir"
  xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir "$root/$dir" --output-on-failure -j "$jobs" || status=1
done
exit $status
