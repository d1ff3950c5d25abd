#!/usr/bin/env bash
# Builds the game and starts it from its run folder (build/run: data/assets.ass beside it, logs written there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
cd "$root/build/run"
cp -f "$root/build/Tessarine" "$root/build/ts_update" .
if [ -f "$root/scripts/server.sh" ]; then
  # The stand-in web service on loopback, so online play works out of the box.
  "$root/scripts/server.sh" start || echo "stand-in service did not start; the game will play offline"
  trap '"$root/scripts/server.sh" stop || true' EXIT
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: running under Xvfb (nothing will be visible)."
  # Nobody can click a dialog on an invisible display: message boxes go to stderr instead.
  export TS_HEADLESS=1
  # Not exec: the stand-in is stopped when the game ends.
  # It keeps running between its clients: an update starts the game anew after the old one ends.
  xvfb-run -a -s "-screen 0 1280x720x24 -noreset" ./Tessarine "$@"
  exit
fi
./Tessarine "$@"
