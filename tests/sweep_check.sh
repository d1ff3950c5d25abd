#!/usr/bin/env bash
# An interrupted sweep signals only its own runs; each ends what it started and is waited for to
# its end, so the sweep ends after every run has, with nothing of theirs left and their logs kept
# whole. scripts/sweep.sh runs on a copy of itself with a build folder of three test programs whose
# runs wait for good and, told to stop, take a second to end and then write a last line. Whatever
# the sweep leaves, this check ends by the PIDs the runs wrote, once it knows them for its own.
#   sweep_check.sh SOURCE_DIR
set -u
folder=$(mktemp -d /tmp/ts-sweep-check.XXXXXX)
last="ended a second after it was told to"
sweep=
logs=

# True while PID is one of this check's runs or what they started (their environment names it).
ours() {
  tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -qxF "SWEEP_CHECK=$folder"
}
# The runs' PIDs and their waits' (each run names itself in its file and its wait in it).
started() {
  local file
  for file in "$folder"/ran.*; do
    [ -e "$file" ] && echo "${file##*.}" "$(cat "$file")"
  done
}
finish() {
  local pid
  for pid in $(started); do
    if ours "$pid"; then kill -KILL "$pid"; fi
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
cat >"$folder/build/test_launcher" <<EOF
#!/bin/sh
trap 'kill \$waiting 2>/dev/null; sleep 1; echo "$last"; exit 143' TERM
sleep 3600 &
waiting=\$!
echo \$waiting >"\$SWEEP_CHECK/ran.\$\$"
echo waiting
wait
EOF
chmod +x "$folder/build/test_launcher"

# TERM, as a background command ignores INT.
: >"$folder/out"
TS_SWEEP_ON_XVFB=1 "$folder/scripts/sweep.sh" --seed 1 --jobs 4 --timeout 120 >"$folder/out" 2>&1 &
sweep=$!
waiting() {
  logs=$(sed -n 's/.*logs of failed runs in //p' "$folder/out")
  [ -n "$logs" ] && [ "$(started | wc -l)" -eq 3 ] && [ "$(grep -lx waiting "$logs"/*.log 2>/dev/null | wc -l)" -eq 3 ]
}
for _ in $(seq 600); do
  waiting && break
  sleep 0.1
done
waiting || fail "the three runs did not start"
kill -TERM "$sweep"
# The runs take a second; the time-out's two minutes would not pass.
for _ in $(seq 300); do
  kill -0 "$sweep" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$sweep" 2>/dev/null && fail "the sweep still runs 30 s after it was told to stop"
wait "$sweep"
status=$?
sweep=

for pid in $(started); do
  if ours "$pid"; then fail "a process of a run (PID $pid) is left after the sweep ended"; fi
done
[ $status -eq 130 ] || fail "the interrupted sweep gave status $status"
[ "$(find "$logs" -name '*.log' | wc -l)" -eq 3 ] || fail "the runs' logs are not kept"
for log in "$logs"/*.log; do
  [ "$(tail -n 1 "$log")" = "$last" ] || fail "$log does not end with the run's last line"
done
echo "status $status"
