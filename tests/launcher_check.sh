#!/usr/bin/env bash
# Gives the test launcher one command and checks its verdict. Whatever the launcher does, the
# process the leftover case starts is ended here by the PID the command wrote.
#   launcher_check.sh LAUNCHER passes|fails_on_SIGSEGV|fails_on_SIGABRT|fails_and_ends_a_leftover
set -u
launcher=$1
folder=$(mktemp -d /tmp/ts-launcher-check.XXXXXX)
leftover="sleep 3600.$$"   # a command line of this run's own
pid=

# True while the PID the command wrote still runs the leftover (an ended one has no command line).
still_runs() {
  [ -n "$pid" ] && [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" = "$leftover " ]
}
finish() {
  if still_runs; then kill "$pid"; fi
  rm -rf "$folder"
}
trap finish EXIT
fail() {
  echo "$*"
  exit 1
}

case $2 in
passes)
  "$launcher" true
  status=$?
  [ $status -eq 0 ] || fail "a test that passed gave status $status"
  ;;
fails_on_SIG*)
  signal=${2#fails_on_SIG}
  "$launcher" sh -c "ulimit -c 0; kill -$signal \$\$"
  status=$?
  [ $status -eq $((128 + $(kill -l "$signal"))) ] || fail "a test killed by SIG$signal gave status $status"
  ;;
fails_and_ends_a_leftover)
  # The command passes, but its sleep runs on after it.
  "$launcher" sh -c '$1 & echo $! >"$0"' "$folder/pid" "$leftover" 2>"$folder/stderr"
  status=$?
  pid=$(cat "$folder/pid")
  cat "$folder/stderr"
  if still_runs; then fail "the leftover sleep (PID $pid) still runs after the launcher ended"; fi
  [ $status -ne 0 ] || fail "a test that left a process running passed"
  grep -q "left process $pid running" "$folder/stderr" || fail "the leftover (PID $pid) was not named"
  ;;
*)
  fail "no case $2"
  ;;
esac
echo "status $status"
