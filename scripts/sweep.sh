#!/usr/bin/env bash
# Runs every test program whole in many random orders (the suite runs each in a few fixed ones) and
# prints each order that fails, with the command that repeats it. Run it before pushing work: an
# order fault that one seed in fifty shows is seldom met by the suite's fixed seeds.
#   scripts/sweep.sh [--build release|asan|both] [--seeds N] [--jobs N] [--timeout SECONDS]
#                    [--program NAME]... [--seed N]...
# Defaults: the Release build (build/), 50 random seeds, 4 programs at a time, every program, and
# 900 s for one run. --program (engine or tests_engine) sweeps only those programs; --seed runs the
# seeds given instead of random ones. The builds must exist (scripts/build.sh [--sanitize]).
# Exit status 1 when a run failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arguments=("$@")

builds=(build)
count=50
jobs=4
limit=900
only=()
seeds=()
while [ $# -gt 0 ]; do
  case $1 in
  --build)
    case ${2:-} in
    release) builds=(build) ;;
    asan) builds=(build-asan) ;;
    both) builds=(build build-asan) ;;
    *) echo "--build takes release, asan or both" >&2; exit 2 ;;
    esac
    shift 2 ;;
  --seeds) count=$2; shift 2 ;;
  --jobs) jobs=$2; shift 2 ;;
  --timeout) limit=$2; shift 2 ;;
  --program) only+=("tests_${2#tests_}"); shift 2 ;;
  --seed) seeds+=("$2"); shift 2 ;;
  *) sed -n '2,10p' "$0" >&2; exit 2 ;;
  esac
done
if [ ${#seeds[@]} -gt 0 ]; then
  mapfile -t seeds < <(printf '%s\n' "${seeds[@]}" | sort -un)
else
  mapfile -t seeds < <(shuf -i 1-99999 -n "$count")
fi

# Every program draws on one private display, as in the suite, that keeps running between its
# clients (one that connects while it resets after the last has left finds no display).
screen="-screen 0 1920x1080x24 -noreset"
if [ -z "${TS_SWEEP_ON_XVFB:-}" ]; then
  exec xvfb-run -a -s "$screen" env TS_SWEEP_ON_XVFB=1 "$0" "${arguments[@]}"
fi

logs=$(mktemp -d /tmp/ts-sweep.XXXXXX)
runs=()
for build in "${builds[@]}"; do
  dir="$root/$build"
  for file in test_programs test_environment test_launcher; do
    [ -e "$dir/$file" ] || { echo "no $dir/$file: build it first (scripts/build.sh)" >&2; exit 2; }
  done
  mapfile -t programs <"$dir/test_programs"
  # Seed by seed, every program in turn: programs of every kind share the machine at once.
  for seed in "${seeds[@]}"; do
    for program in "${programs[@]}"; do
      if [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " == *" $program "* ]]; then runs+=("$build $program $seed"); fi
    done
  done
done
[ ${#runs[@]} -gt 0 ] || { echo "no program to sweep" >&2; exit 2; }

# One run: the program through the test launcher, in its build folder with the environment the
# suite gives it (a run that leaves a process behind fails, as in the suite). Told to stop, it
# passes the signal on to what it started and waits for its end, so that its log is whole.
sweep_one() {
  local build=$1 program=$2 seed=$3 dir="$root/$1" log="$logs/$1.$2.$3.log" environment run='' stopped=''
  trap 'stopped=1; [ -z "$run" ] || kill -TERM "$run" 2>/dev/null' TERM
  mapfile -t environment <"$dir/test_environment"
  local command=(env "${environment[@]}" ./test_launcher "./$program" --gtest_shuffle "--gtest_random_seed=$seed")
  local status=0
  [ -z "$stopped" ] || return 130   # told before its run began: nothing to end
  # timeout runs in a process group of its own and passes a signal on to it.
  (cd "$dir" && exec timeout -k 30 "$limit" "${command[@]}") >"$log" 2>&1 </dev/null &
  run=$!
  [ -z "$stopped" ] || kill -TERM "$run"
  wait "$run" || status=$?
  # A signal cuts the wait short: the run is waited for once more, to its end.
  if [ -n "$stopped" ]; then
    status=0
    wait "$run" || status=$?
  fi
  if [ $status -eq 0 ]; then
    rm -f "$log"
    return 0
  fi
  local failed
  failed=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\.[^ ,]*\).*/\1/p' "$log" | sort -u | tr '\n' ' ')
  [ $status -eq 124 ] && failed="timed out after $limit s${failed:+; $failed}"
  {
    echo "FAIL $build/$program seed $seed (exit $status): ${failed:-see the log}"
    echo "  repeat: cd $(printf %q "$dir") && xvfb-run -a -s '$screen' $(printf '%q ' "${command[@]}")"
    echo "  log: $log"
  } >"$log.fail"
  cat "$log.fail"
}

# An interrupted sweep signals its own runs that still go, and nothing else; each ends what it
# started (the launcher passes the signal on to the test), and one not yet begun ends at once.
stop() {
  trap - INT TERM
  local going
  going=$(jobs -pr)
  # shellcheck disable=SC2086
  [ -z "$going" ] || kill -TERM $going 2>/dev/null || true
  wait
  [ -n "$(find "$logs" -name '*.fail')" ] || rm -rf "$logs"
  exit 130
}
trap stop INT TERM

echo "sweeping ${#runs[@]} runs (${#seeds[@]} seeds), $jobs at a time; logs of failed runs in $logs"
start=$(date +%s)
running=0
for run in "${runs[@]}"; do
  if [ $running -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  # shellcheck disable=SC2086
  sweep_one $run &
  running=$((running + 1))
done
wait || true

failed=$(find "$logs" -name '*.fail' | wc -l)
echo "${#runs[@]} runs in $(($(date +%s) - start)) s: $failed failed"
if [ "$failed" -eq 0 ]; then
  rm -rf "$logs"
  exit 0
fi
cat "$logs"/*.fail | grep '^FAIL' | sort
exit 1
