#!/usr/bin/env bash
# A harmless process that lives through the whole suite. "start FILE" leaves it running under a
# name of its own and writes its PID and name to FILE; "check FILE" passes only while that same
# process still runs, then ends it. A test that ends processes it did not start takes it along.
set -euo pipefail
file=$2
case $1 in
start)
  name="ts-sentinel-$$"
  (exec -a "$name" sleep 7200) </dev/null >/dev/null 2>&1 &
  echo "$! $name" >"$file"
  ;;
check)
  read -r pid name <"$file"
  rm -f "$file"
  # The name tells it from a process that took the PID since; an ended one has no command line.
  if [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" != "$name 7200 " ]; then
    echo "the sentinel (PID $pid) was ended during the tests"
    exit 1
  fi
  kill "$pid"
  echo "the sentinel outlived every test"
  ;;
*)
  exit 2
  ;;
esac
