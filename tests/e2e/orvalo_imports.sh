#!/usr/bin/env bash
# Orvalo.exe is linked statically: it imports only DLLs of the system.
set -uo pipefail
: "${ORV_BINARY_DIR:?}"
exe="$ORV_BINARY_DIR/game/Orvalo.exe"
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$dlls" ] || { echo "FAIL: no imports read from $exe"; exit 1; }
system="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
shell32.dll shlwapi.dll user32.dll uxtheme.dll winmm.dll ws2_32.dll wsock32.dll msimg32.dll winspool.drv
netapi32.dll version.dll imm32.dll"
bad=0
for d in $dlls; do
  if ! echo " $system " | tr '\n' ' ' | grep -q " $d "; then echo "FAIL: imports $d"; bad=1; fi
done
echo "$dlls" | tr '\n' ' '; echo
[ $bad -eq 0 ] && echo PASS
exit $bad
