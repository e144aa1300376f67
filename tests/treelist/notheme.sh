#!/usr/bin/env bash
# Runs a test program with visual styles switched off for the next process
# (HKCU ThemeManager ThemeActive = "0"), and puts the value back afterwards.
set -u
key='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
state="${ORV_WINE_STATE:-$ORV_BINARY_DIR/wine}"
export WINEPREFIX="$state/prefix" WINEARCH=win32 WINEDEBUG=-all
old=$(wine reg query "$key" /v ThemeActive 2>/dev/null | tr -d '\r' | awk '/ThemeActive/ {print $3}')
wine reg add "$key" /v ThemeActive /t REG_SZ /d 0 /f >/dev/null 2>&1
TL_EXPECT_THEME=0 "$@"
rc=$?
if [ -n "$old" ]; then
  wine reg add "$key" /v ThemeActive /t REG_SZ /d "$old" /f >/dev/null 2>&1
else
  wine reg delete "$key" /v ThemeActive /f >/dev/null 2>&1
fi
exit $rc
