#!/usr/bin/env bash
# with_server.sh COMMAND...: runs COMMAND with ORV_HTTP_PORT and
# ORV_HTTP_LOG set to a fresh test server on 127.0.0.1, then stops it.
set -u
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp); portfile=$(mktemp)
python3 "$here/httpserver.py" --log "$log" > "$portfile" &
srv=$!
for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.05; done
export ORV_HTTP_PORT=$(cat "$portfile") ORV_HTTP_LOG=$log
"$@"
rc=$?
kill $srv 2>/dev/null; wait $srv 2>/dev/null
rm -f "$log" "$portfile"
exit $rc
