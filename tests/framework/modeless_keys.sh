#!/usr/bin/env bash
# Real X keystrokes (xdotool) into a modeless dialog of a program on the
# class layer: Tab moves the focus through the fields only when the
# application's pump hands the keys to the dialog first; typed umlauts
# arrive as Windows-1252.
set -uo pipefail
: "${ORV_WINE_RUN:?}" "${ORV_BINARY_DIR:?}"
export DISPLAY=$(cat "${ORV_WINE_STATE:-$ORV_BINARY_DIR/wine}/display")
exe="$ORV_BINARY_DIR/tests/framework/modeless_demo.exe"
closer="$ORV_BINARY_DIR/tests/e2e/postclose.exe"
work=$(mktemp -d); trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill $pid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work"
"$ORV_WINE_RUN" "$exe" out.txt </dev/null >log.txt 2>&1 &
pid=$!
dlg=""
for _ in $(seq 100); do
  dlg=$(xdotool search --onlyvisible --name '^Eingabefelder$' 2>/dev/null | head -1)
  [ -n "$dlg" ] && break
  sleep 0.2
done
[ -n "$dlg" ] || fail "no dialog"
eval "$(xdotool getwindowgeometry --shell "$dlg")"
# a click on the dialog's face (right of the fields) activates it; the
# focus goes to its first field
xdotool mousemove $((X + WIDTH - 10)) $((Y + HEIGHT - 10)) click 1
sleep 0.5
xdotool key Tab
sleep 0.2
xdotool key Tab
sleep 0.2
xdotool type --delay 50 'Grüße'
sleep 0.5
"$ORV_WINE_RUN" "$closer" 'Modeless-Test' </dev/null || fail "no main window to close"
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill -0 $pid 2>/dev/null && fail "the program did not end"
wait $pid; rc=$?; pid=""
[ "$rc" -eq 0 ] || fail "exit code $rc"
[ -f out.txt ] || fail "no output"
cat out.txt
grep -q '^focus 101 102 103' out.txt || fail "Tab did not move the focus 101 -> 102 -> 103"
printf 'text Gr\xfc\xdfe\n' > want.txt
tail -1 out.txt | cmp -s - want.txt || fail "typed text is not 'Grüße' in Windows-1252"
echo PASS
