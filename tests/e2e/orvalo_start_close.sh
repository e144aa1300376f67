#!/usr/bin/env bash
# Starts Orvalo.exe under Wine on the test display, finds its main window,
# checks a screenshot, closes it by WM_CLOSE and checks the exit code and
# the registry key the program keeps its settings in.
set -uo pipefail
: "${ORV_WINE_RUN:?}" "${ORV_BINARY_DIR:?}"
export DISPLAY=$(cat "${ORV_WINE_STATE:-$ORV_BINARY_DIR/wine}/display")
exe="$ORV_BINARY_DIR/game/Orvalo.exe"
closer="$ORV_BINARY_DIR/tests/e2e/postclose.exe"
work=$(mktemp -d); trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill $pid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; exit 1; }
reg() { "$ORV_WINE_RUN" reg "$@" </dev/null 2>/dev/null | tr -d '\r'; }

reg delete 'HKCU\Software\Vexa\Orvalo' /f >/dev/null
reg query 'HKCU\Software\Vexa\Orvalo' | grep -q . && fail "key still there before the start"

cd "$work"
"$ORV_WINE_RUN" "$exe" </dev/null >"$work/out.txt" 2>&1 &
pid=$!

win=""
for _ in $(seq 150); do
  win=$(xdotool search --onlyvisible --name '^Das Spiel - Orvalo$' 2>/dev/null | head -1)
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || fail "Orvalo.exe ended early: $(cat "$work/out.txt")"
  sleep 0.2
done
[ -n "$win" ] || fail "no main window titled 'Das Spiel - Orvalo'"
# a fresh start has no welcome page: the game options open by themselves
opt=""
for _ in $(seq 75); do
  opt=$(xdotool search --onlyvisible --name '^Spieloptionen$' 2>/dev/null | head -1)
  [ -n "$opt" ] && break
  sleep 0.2
done
[ -n "$opt" ] || fail "the game options did not open by themselves"
"$ORV_WINE_RUN" "$closer" 'Spieloptionen' </dev/null
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Spieloptionen$' >/dev/null 2>&1 || break
  sleep 0.2
done
sleep 1  # let it paint

import -window root "$work/shot.png" || fail "screenshot"
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -gt 300 ] && [ "$HEIGHT" -gt 200 ] || fail "main window too small: ${WIDTH}x$HEIGHT"
# the window's area: white client area and dark menu texts, so more than
# one colour and a mostly light surface
colours=$(convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -format '%k' info:)
mean=$(convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -colorspace gray -format '%[fx:mean]' info:)
echo "window ${WIDTH}x$HEIGHT at $X,$Y: $colours colours, mean $mean"
[ "$colours" -ge 2 ] || fail "window area is one flat colour"
python3 -c "import sys; sys.exit(0 if float('$mean') > 0.5 else 1)" || fail "window area is dark (mean $mean)"
# the menu bar: dark text pixels in the top rows of the window
dark=$(convert "$work/shot.png" -crop "300x30+${X}+${Y}" +repage -colorspace gray -threshold 50% -negate \
  -format '%[fx:mean*w*h]' info:)
echo "dark pixels in the menu bar: $dark"
python3 -c "import sys; sys.exit(0 if float('$dark') > 20 else 1)" || fail "no menu text"

# the keyboard help through the menu, by real keys: Alt+H opens "Hilfe",
# Return takes its first item "Tastenbelegung"; Return again is OK
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
sleep 0.3
xdotool key alt+h
sleep 0.5
xdotool key Return
dlg=""
for _ in $(seq 50); do
  dlg=$(xdotool search --onlyvisible --name '^Tastaturbelegung$' 2>/dev/null | head -1)
  [ -n "$dlg" ] && break
  sleep 0.2
done
[ -n "$dlg" ] || fail "the menu did not open the dialog 'Tastaturbelegung'"
sleep 0.5
import -window root "$work/dialog.png" || fail "screenshot"
eval "$(xdotool getwindowgeometry --shell "$dlg")"
# dialog face with dark text on it
dark=$(convert "$work/dialog.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -colorspace gray -threshold 50% -negate \
  -format '%[fx:mean*w*h]' info:)
echo "dialog ${WIDTH}x$HEIGHT, dark pixels $dark"
python3 -c "import sys; sys.exit(0 if float('$dark') > 200 else 1)" || fail "the dialog shows no text"
xdotool key Return
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Tastaturbelegung$' >/dev/null 2>&1 || break
  sleep 0.2
done
xdotool search --onlyvisible --name '^Tastaturbelegung$' >/dev/null 2>&1 && fail "Return did not close the dialog"

"$ORV_WINE_RUN" "$closer" 'Das Spiel - Orvalo' </dev/null || fail "postclose found no window"
rc=""
for _ in $(seq 100); do
  if ! kill -0 $pid 2>/dev/null; then wait $pid; rc=$?; break; fi
  sleep 0.2
done
pid=""
[ -n "$rc" ] || fail "Orvalo.exe did not end after WM_CLOSE"
[ "$rc" -eq 0 ] || fail "exit code $rc"

out=$(reg query 'HKCU\Software\Vexa\Orvalo' /s)
echo "$out"
echo "$out" | grep -qi 'Software\\Vexa\\Orvalo' || fail "registry key Software\\Vexa\\Orvalo missing"
echo "$out" | grep -q 'File1.*Das Spiel' || fail "the recent-file list lacks the document 'Das Spiel'"

# a fresh start writes the one-entry table of the offline world map and
# keeps it; the view stores its eight values; the table's zoom range 2..6
# held the map's start zoom
srv=$(reg query 'HKCU\Software\Vexa\Orvalo\Server')
host=$(sed -n 's/^#define ORV_FIRST_START_HOST "\(.*\)"/\1/p' "$ORV_SOURCE_DIR/game/tileserver_defaults.h")
for want in "Select REG_DWORD 0x0" "Name00 REG_SZ WaterColor" "Server00 REG_SZ $host" \
    "Path00 REG_SZ watercolor/\*.jpg" "ZoomMin00 REG_SZ 2" "ZoomMax00 REG_SZ 6" "Fixed00 REG_DWORD 0x1"; do
  echo "$srv" | sed 's/^ *//; s/  */ /g' | grep -qx "$want" || fail "Server lacks '$want'"
done
echo "$srv" | grep -q 'Name01' && fail "the built-in table was written at the first start"
reg query 'HKCU\Software\Vexa\Orvalo\Layer' | grep -q . && fail "a layer table appeared at the first start"
# read from an exported file: reg's output through a pipe lost a line once
"$ORV_WINE_RUN" reg export 'HKCU\Software\Vexa\Orvalo' "Z:${work//\//\\}\\view.reg" /y \
  </dev/null >/dev/null 2>&1 || fail "reg export"
vals=$(iconv -f UTF-16 -t UTF-8 "$work/view.reg" | tr -d '\r' |
  awk '/^\[/{top = ($0 == "[HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo]"); next} top')
for v in WheelMode CoordMode ShowCoord ComPort OsmMenu OsmZoom OsmPosX OsmPosY; do
  echo "$vals" | grep -q "^\"$v\"=dword:" || fail "view value $v not written"
done
echo "$vals" | grep -qx '"WheelMode"=dword:00000001' || fail "WheelMode is not 1"
echo "$vals" | grep -qx '"OsmZoom"=dword:00000006' || fail "the start zoom is not held in 2..6"
echo "PASS"
