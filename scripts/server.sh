#!/usr/bin/env bash
# Starts or stops the stand-in web service for scripts/run.sh: ts_server on 127.0.0.1 at the
# game's port (8723, or the port of TESSARINE_SERVER), its database and request log kept in
# build/run/server/ from one run to the next.
#   scripts/server.sh start|stop
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build/run/server"
pidfile="$dir/ts_server.pid"

case "${1:-}" in
start)
  mkdir -p "$dir"
  if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
    echo "ts_server is already running" >&2
    exit 0
  fi
  port=8723
  if [ -n "${TESSARINE_SERVER:-}" ]; then port=${TESSARINE_SERVER##*:}; fi
  fresh="$dir/port.$$"
  rm -f "$fresh"
  "$root/build/ts_server" --db "$dir/service.db" --port "$port" --port-file "$fresh" \
    --log "$dir/requests.log" >"$dir/ts_server.out" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    if [ -s "$fresh" ]; then
      mv -f "$fresh" "$dir/port"
      echo "$pid" >"$pidfile"
      exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  rm -f "$fresh"
  cat "$dir/ts_server.out" >&2
  exit 1
  ;;
stop)
  [ -f "$pidfile" ] || exit 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$pidfile" "$dir/port"
  ;;
*)
  echo "usage: $0 start|stop" >&2
  exit 2
  ;;
esac
