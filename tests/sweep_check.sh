#!/usr/bin/env bash
# An interrupted sweep ends every run it started and keeps their logs, also when the PID file of a
# run that has just ended names no process any more. scripts/sweep.sh runs on a copy of itself with
# a build folder of three test programs whose runs wait for good; whatever the sweep leaves, this
# check ends by the PIDs the runs wrote.
#   sweep_check.sh SOURCE_DIR
set -u
folder=$(mktemp -d /tmp/ts-sweep-check.XXXXXX)
waiting="sleep 3600.$$"   # a command line of this check's own
sweep=
logs=

# True while the run that wrote PID still waits (an ended one has no command line).
still_runs() {
  [ "$(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline")" = "$waiting " ]
}
finish() {
  for file in "$folder"/ran.*; do
    if [ -e "$file" ] && still_runs "${file##*.}"; then kill "${file##*.}"; fi
  done
  if [ -n "$sweep" ]; then
    kill "$sweep" 2>/dev/null
    wait "$sweep"
  fi
  rm -rf "$folder"
  case $logs in /tmp/ts-sweep.*) rm -rf "$logs" ;; esac
}
trap finish EXIT
fail() {
  echo "$*"
  [ -z "$logs" ] || ls -l "$logs"
  cat "$folder/out"
  exit 1
}

mkdir -p "$folder/scripts" "$folder/build"
cp "$1/scripts/sweep.sh" "$folder/scripts/"
printf 'tests_a\ntests_b\ntests_c\n' >"$folder/build/test_programs"
echo "SWEEP_CHECK=$folder" >"$folder/build/test_environment"
printf '#!/bin/sh\necho $$ >"$SWEEP_CHECK/ran.$$"\nexec %s\n' "$waiting" >"$folder/build/test_launcher"
chmod +x "$folder/build/test_launcher"

# TERM, as a background command ignores INT.
: >"$folder/out"
TS_SWEEP_ON_XVFB=1 "$folder/scripts/sweep.sh" --seed 1 --jobs 4 --timeout 120 >"$folder/out" 2>&1 &
sweep=$!
started() {
  logs=$(sed -n 's/.*logs of failed runs in //p' "$folder/out")
  [ -n "$logs" ] && [ "$(find "$folder" -name 'ran.*' | wc -l)" -eq 3 ] &&
    [ "$(find "$logs" -name '*.pid' | wc -l)" -eq 3 ]
}
for _ in $(seq 600); do
  started && break
  sleep 0.1
done
started || fail "the three runs did not start"
# Sorted first: a PID no process can have, as the file of a run that has just ended.
cat /proc/sys/kernel/pid_max >"$logs/0.log.pid"
kill -TERM "$sweep"
wait "$sweep"
status=$?
sweep=

for file in "$folder"/ran.*; do
  if still_runs "${file##*.}"; then fail "a run (PID ${file##*.}) still waits after the sweep ended"; fi
done
[ $status -eq 130 ] || fail "the interrupted sweep gave status $status"
[ "$(find "$logs" -name '*.log' | wc -l)" -eq 3 ] || fail "the runs' logs are not kept"
echo "status $status"
