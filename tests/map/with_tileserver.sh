#!/usr/bin/env bash
# with_tileserver.sh COMMAND...: runs COMMAND with ORV_TILE_PORT,
# ORV_TILE_GATE_PORT (its refusing port) and ORV_TILE_LOG set to a fresh
# tile server on 127.0.0.1, then stops it.
set -u
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp); portfile=$(mktemp)
python3 "$here/tileserver.py" --log "$log" > "$portfile" &
srv=$!
for _ in $(seq 100); do [ "$(wc -l < "$portfile")" -ge 2 ] && break; sleep 0.05; done
export ORV_TILE_PORT=$(sed -n 1p "$portfile") ORV_TILE_GATE_PORT=$(sed -n 2p "$portfile") ORV_TILE_LOG=$log
"$@"
rc=$?
kill $srv 2>/dev/null; wait $srv 2>/dev/null
rm -f "$log" "$portfile"
exit $rc
