#!/usr/bin/env bash
# ts_server as a program: an ephemeral port written to its file, a page served on 127.0.0.1,
# a bad fault refused, and a clean exit on SIGTERM with its state kept in the database; offer-patch,
# run from anywhere, finds the stand-in's test key, stores a file under the next id and refuses an
# unknown kind, a missing file or key, a version not newer than the one on offer, one whose numbers
# the game cannot hold (its reason on one line, nothing touched), and a file one byte over the
# largest patch (whole: it is not cut to the limit and stored).
set -euo pipefail
server=$1
dir=$(mktemp -d)
pid=
# The server this script started, if a step failed while it ran; nothing else.
trap 'if [ -n "$pid" ]; then kill "$pid"; wait "$pid"; fi 2>/dev/null; rm -rf "$dir"' EXIT

if "$server" --db "$dir/s.db" --port 0 --fault "login=slow" 2>/dev/null; then
  echo "a bad fault was accepted"; exit 1
fi
if "$server" offer-patch --db "$dir/s.db" patch "Version 9" "$server" >/dev/null 2>&1 ||
   "$server" offer-patch --db "$dir/s.db" update "Version 9" "$dir/missing" >/dev/null 2>&1; then
  echo "a bad offer was accepted"; exit 1
fi
nines=$(printf '9%.0s' $(seq 300))
for version in abc 1..2 1.2. -1.0 0.3.0-rc1 "0.$nines" 0.65536; do
  status=0
  "$server" offer-patch --db "$dir/v.db" update "$version" "$server" >/dev/null 2>"$dir/err" || status=$?
  [ "$status" = 1 ] || { echo "version $version: exit status $status"; exit 1; }
  [ "$(wc -l <"$dir/err")" = 1 ] && grep -qF "\"$version\" is no version" "$dir/err" ||
    { echo "version $version: no reason on one line: $(cat "$dir/err")"; exit 1; }
done
[ ! -e "$dir/v.db" ] || { echo "a refused version made the database"; exit 1; }
[ "$("$server" offer-patch --db "$dir/v.db" update 0.9.0 "$server")" = 1 ] || { echo "0.9.0 not stored"; exit 1; }
cd "$dir"
[ "$("$server" offer-patch --db s.db update_exe "Version 9" "$server")" = 1 ] || { echo "no offer 1"; exit 1; }
if "$server" offer-patch --db s.db --key missing.pem update "Version 10" "$server" >/dev/null 2>&1; then
  echo "an offer without its key was accepted"; exit 1
fi
if "$server" offer-patch --db s.db update "Version 9" "$server" >/dev/null 2>"$dir/err"; then
  echo "an offer of the same version was accepted"; exit 1
fi
grep -q "version 9 is not newer than 9" "$dir/err" || { echo "no reason given: $(cat "$dir/err")"; exit 1; }
[ "$("$server" offer-patch --db s.db update "Version 10" "$server")" = 2 ] || { echo "no offer 2"; exit 1; }
truncate -s $((256 * 1024 * 1024 + 1)) "$dir/big"   # sparse: costs no disk
if "$server" offer-patch --db s.db update "Version 11" "$dir/big" >/dev/null 2>"$dir/err"; then
  echo "an offer over the size limit was accepted"; exit 1
fi
grep -q "bytes, not 268435457: nothing stored" "$dir/err" || { echo "no reason given: $(cat "$dir/err")"; exit 1; }
[ "$("$server" offer-patch --db s.db update "Version 11" "$server")" = 3 ] || { echo "the refused offer was stored"; exit 1; }
"$server" --db "$dir/s.db" --port 0 --port-file "$dir/port" --log "$dir/log" >/dev/null &
pid=$!
for _ in $(seq 100); do [ -s "$dir/port" ] && break; sleep 0.05; done
port=$(cat "$dir/port")
body=$(curl -s --max-time 5 "http://127.0.0.1:$port/retrieve.html")
case "$body" in "<html>"*) ;; *) echo "no page: $body"; exit 1 ;; esac
kill -TERM "$pid"
wait "$pid"
pid=
[ -s "$dir/s.db" ] || { echo "no database"; exit 1; }
echo "ok"
