#!/usr/bin/env bash
# The prefix is silent for the tests; scripts/run turns the sound on for the
# user's display and off again, as wine reg query shows it.
set -euo pipefail
build=$ORV_BINARY_DIR
envs="$ORV_SOURCE_DIR/scripts/wine-env"
state="${ORV_WINE_STATE:-$build/wine}"
export WINEPREFIX="$state/prefix" WINEDEBUG=-all
audio() { wine reg query 'HKCU\Software\Wine\Drivers' /v Audio </dev/null 2>/dev/null | tr -d '\r' | grep -E '^ +Audio +REG_SZ'; }
fail() { echo "FAIL: $*" >&2; "$envs" sound off "$build"; exit 1; }

[ -n "$(audio)" ] || fail "the test prefix has no empty audio driver"
[ -z "$(audio | awk '{print $3}')" ] || fail "the test prefix names an audio driver: $(audio)"
"$envs" sound on "$build"
[ -z "$(audio)" ] || fail "sound on left the driver value: $(audio)"
[ -f "$state/sound" ] || fail "sound on left no mark for wine-run"
"$envs" sound off "$build"
[ -n "$(audio)" ] && [ ! -e "$state/sound" ] || fail "sound off did not silence the prefix"
echo "sound: silent, on, silent"
