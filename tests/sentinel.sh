#!/usr/bin/env bash
# A harmless process that lives through the whole suite. "start FILE" leaves it running under a
# name of its own and writes its PID and name to FILE; "check FILE" passes only while that same
# process still runs, then ends it and notes it checked. A test that ends processes it did not
# start takes it along.
set -euo pipefail
file=$2

# True while the sentinel FILE records still runs. The name tells it from a process that took the
# PID since; an ended one has no command line.
recorded_runs() {
  read -r pid name _ <"$file"
  [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" = "$name 7200 " ]
}

case $1 in
start)
  # A repeated start (ctest --repeat) ends the sentinel it made before rather than leave it behind.
  if [ -f "$file" ] && recorded_runs; then
    kill "$pid"
  fi
  name="ts-sentinel-$$"
  (exec -a "$name" sleep 7200) </dev/null >/dev/null 2>&1 &
  echo "$! $name" >"$file"
  ;;
check)
  [ -f "$file" ] || { echo "no sentinel was started (no $file)"; exit 1; }
  # ctest --repeat runs this check again after it passed: the sentinel outlived the tests then.
  read -r pid name state <"$file"
  if [ "${state:-}" = checked ]; then
    echo "the sentinel outlived every test"
    exit 0
  fi
  if ! recorded_runs; then
    rm -f "$file"
    echo "the sentinel (PID $pid) was ended during the tests"
    exit 1
  fi
  echo "$pid $name checked" >"$file"
  kill "$pid"
  echo "the sentinel outlived every test"
  ;;
*)
  exit 2
  ;;
esac
