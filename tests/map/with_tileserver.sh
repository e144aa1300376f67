#!/usr/bin/env bash
# with_tileserver.sh COMMAND...: runs COMMAND with ORV_TILE_PORT,
# ORV_TILE_GATE_PORT (its refusing port) and ORV_TILE_LOG set to a fresh
# tile server on 127.0.0.1, and ORV_TILE_PORT2 and ORV_TILE_LOG2 to a second
# one whose tiles differ (--alt), then stops both.
set -u
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp); portfile=$(mktemp); log2=$(mktemp); portfile2=$(mktemp)
python3 "$here/tileserver.py" --log "$log" > "$portfile" &
srv=$!
python3 "$here/tileserver.py" --alt --log "$log2" > "$portfile2" &
srv2=$!
for _ in $(seq 100); do
  [ "$(wc -l < "$portfile")" -ge 2 ] && [ "$(wc -l < "$portfile2")" -ge 2 ] && break
  sleep 0.05
done
export ORV_TILE_PORT=$(sed -n 1p "$portfile") ORV_TILE_GATE_PORT=$(sed -n 2p "$portfile") ORV_TILE_LOG=$log
export ORV_TILE_PORT2=$(sed -n 1p "$portfile2") ORV_TILE_LOG2=$log2
"$@"
rc=$?
kill $srv $srv2 2>/dev/null; wait $srv $srv2 2>/dev/null
rm -f "$log" "$portfile" "$log2" "$portfile2"
exit $rc
