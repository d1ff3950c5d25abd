#!/usr/bin/env bash
# Builds the benchmarks and runs them under Xvfb with Mesa's software renderer, each figure beside
# its reference measured in the same run, then prints one table of figures and ratios. Nothing
# here passes or fails on a figure, and CI does not run it; the target column is for reading.
#   scripts/bench.sh [--quick]    (--quick: fewer frames and starts, and no minute of play)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=0
[ "${1:-}" = "--quick" ] && quick=1

# Everything runs on one private virtual display (a screen as large as the largest figure's),
# which keeps running between its clients: the starts below follow each other closely.
if [ -z "${TS_BENCH_ON_XVFB:-}" ]; then
  "$root/scripts/deps.sh"
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" env TS_BENCH_ON_XVFB=1 "$0" "$@"
fi

dir="$root/build"
jobs=$(nproc 2>/dev/null || echo 4)
echo "building the benchmarks in $dir"
cmake -S "$root" -B "$dir" -DTS_BENCH=ON >/dev/null
cmake --build "$dir" -j "$jobs" --target Tessarine asset_pack \
  bench_field_bench bench_frame_bench bench_update_game_bench bench_online_bench bench_stand_in_bench \
  bench_asset_pack_bench bench_texture_stream_bench >/dev/null

export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy TS_HEADLESS=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
rows="$work/rows"
: >"$rows"
run="$dir/run"

# Runs one benchmark in the run folder, shows its own lines and keeps its rows for the table.
bench() {
  echo "=== ${1##*/} ${*:2}"
  (cd "$run" && "$@") 2>&1 | grep -v '^\[Warning\]' >"$work/out" || true
  grep -v '^row|' "$work/out" || true
  grep '^row|' "$work/out" | cut -d'|' -f2- >>"$rows" || true
}

frames=15
[ $quick = 1 ] && frames=5
bench "$dir/bench_field_bench" --frames "$frames"
bench "$dir/bench_frame_bench" --frames "$frames"
[ $quick = 1 ] || bench "$dir/bench_field_bench" --minute
bench "$dir/bench_update_game_bench"
bench "$dir/bench_online_bench"
if [ $quick = 1 ]; then bench "$dir/bench_stand_in_bench" --seconds 6; else bench "$dir/bench_stand_in_bench"; fi
bench "$dir/bench_asset_pack_bench" "$run/data/assets.ass"
bench "$dir/bench_texture_stream_bench" "$run/data/assets.ass"

# Start-up: the game from its launch to the log line "Starting main loop", in a fresh folder each
# time with the settings given (none: a first run), then closed as a window manager would close it.
start_once() {
  local quality=$1 folder begin end pid
  folder=$(mktemp -d "$work/start.XXXXXX")
  mkdir -p "$folder/config/Quorvane/Tessarine" "$folder/run"
  if [ "$quality" != none ]; then
    printf '# Tessarine settings 1\nVisualQuality=%s\nFullscreen=0\nScreenWidth=1920\nScreenHeight=1080\n' \
      "$quality" >"$folder/config/Quorvane/Tessarine/settings"
  fi
  ln -s "$run/data" "$folder/run/data"
  cp "$dir/Tessarine" "$folder/run/"
  cd "$folder/run"
  begin=$(date +%s%N)
  XDG_CONFIG_HOME="$folder/config" XDG_DATA_HOME="$folder/data" TESSARINE_SERVER=127.0.0.1:9 \
    ./Tessarine >/dev/null 2>&1 &
  pid=$!
  until grep -qs "Starting main loop" console.log; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the game ended before its main loop ($quality)" >&2
      break
    fi
    sleep 0.005
  done
  end=$(date +%s%N)
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  cd "$root"
  rm -rf "$folder"
  echo $(((end - begin) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "=== start-up"
starts=7
[ $quick = 1 ] && starts=3
for quality in 1 3 none; do : >"$work/start.$quality"; done
# By turns, so that every kind of start sees the machine alike.
for _ in $(seq "$starts"); do
  for quality in 1 3 none; do start_once "$quality" >>"$work/start.$quality"; done
done
one=$(median <"$work/start.1")
three=$(median <"$work/start.3")
first=$(median <"$work/start.none")
echo "start to \"Starting main loop\", median of $starts: VisualQuality 1 $one ms, VisualQuality 3 $three ms," \
  "first run without settings $first ms"
echo "start to \"Starting main loop\" at VisualQuality 1|$one ms|the same start at VisualQuality 3|$three ms|$(
  ratio "$one" "$three")|<= 300 ms" >>"$rows"
echo "first start without settings (the renderer chooses)|$first ms|the same start at VisualQuality 3|$three ms|$(
  ratio "$first" "$three")|" >>"$rows"

echo
echo "=== figures, each beside its reference measured in the same run"
awk -F'|' '
  function pad(text, width) { while (length(text) < width) text = text " "; return text }
  function rule(width,   text) { text = ""; while (length(text) < width) text = text "-"; return text }
  BEGIN { n = split("figure|measured|reference|reference value|ratio|target", head, "|")
          for (i = 1; i <= n; i++) width[i] = length(head[i]) }
  { rows = NR; for (i = 1; i <= n; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
  END {
    line = ""; for (i = 1; i <= n; i++) line = line pad(head[i], width[i]) "  "; print line
    line = ""; for (i = 1; i <= n; i++) line = line rule(width[i]) "  "; print line
    for (r = 1; r <= rows; r++) {
      line = ""; for (i = 1; i <= n; i++) line = line pad(cell[r, i], width[i]) "  "; print line
    }
  }' "$rows"
