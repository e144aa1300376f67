#!/usr/bin/env bash
# Makes files with known times (touch -d) and a tree with Unix links on the
# host, runs the file tests' HostFixture cases on them (natively or under
# Wine) and checks the results with the host's own tools.
set -euo pipefail
prog=${1:?test program}
work=$(mktemp -d "${ORV_BINARY_DIR:-/tmp}/files_fixture.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/times" "$work/tree/sub" "$work/outside/deeper"
printf 'hello world' > "$work/times/old.txt"
touch -m -d '1999-12-31 23:59:58 UTC' "$work/times/old.txt"
touch -a -d '2004-02-29 12:00:00 UTC' "$work/times/old.txt"
: > "$work/times/set.txt"
echo keep > "$work/outside/keep.txt"
echo inner > "$work/outside/deeper/inner.txt"
echo plain > "$work/tree/plain.txt"
echo plain > "$work/tree/sub/plain2.txt"
ln -s "$work/outside" "$work/tree/dirlink"
ln -s "$work/outside/keep.txt" "$work/tree/sub/filelink"

# a tree for the listing, described by find(1)
mkdir -p "$work/walk/Karten 2020/z14" "$work/walk/empty" "$work/walk/.hidden"
i=0
for f in "a.gpx" "Karten 2020/b c.kml" "Karten 2020/z14/1.png" "Karten 2020/z14/10.png" \
         "Karten 2020/z14/9.png" ".hidden/x" "readme"; do
  i=$((i + 1))
  head -c $((i * 37)) /dev/zero > "$work/walk/$f"
  touch -m -d "@$((1300000000 + i * 86400))" "$work/walk/$f"
done
(cd "$work/walk" && find . -type f -printf '%P|%s|%T@\n' | sed 's/\.[0-9]*$//' | LC_ALL=C sort) > "$work/walk.txt"

export ORV_FILES_FIXTURE="$work"
export ORV_FILES_MTIME=$(date -u -d '1999-12-31 23:59:58 UTC' +%s)
export ORV_FILES_ATIME=$(date -u -d '2004-02-29 12:00:00 UTC' +%s)
case "$prog" in
  *.exe) "$ORV_WINE_RUN" "$prog" --gtest_filter='HostFixture.*' ;;
  *) "$prog" --gtest_filter='HostFixture.*' ;;
esac

fail=0
# the time set by the program, read back by the host
want=$(date -u -d '2021-03-04 05:06:07 UTC' +%s)
got=$(stat -c %Y "$work/times/set.txt")
[ "$got" = "$want" ] || { echo "set.txt mtime $got, want $want"; fail=1; }
[ -f "$work/outside/keep.txt" ] && [ -f "$work/outside/deeper/inner.txt" ] || { echo "link target damaged"; fail=1; }
[ ! -e "$work/tree/plain.txt" ] || { echo "tree not deleted"; fail=1; }
[ "$fail" = 0 ] && echo "host checks passed"
exit $fail
