#!/usr/bin/env bash
# The Windows build under Wine: builds picdump.exe and the Windows unit tests
# (scripts/build-windows.sh --tests), runs the tests in a private Wine prefix,
# and checks that picdump.exe gives byte for byte what the Linux picdump gives
# (pixels, or the same failure message) for every sample and fuzz-corpus file.
# Usage: scripts/test-windows.sh [LINUX_PICDUMP]   (default build/tools/picdump)
set -uo pipefail
cd "$(dirname "$0")/.."
linux_picdump=${1:-build/tools/picdump}
start=$(date +%s)
scripts/build-windows.sh --tests || exit 1
built=$(date +%s)

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64
cleanup() {
  wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# One server for every start below; the prefix is made on the first.
mkdir -p "$WINEPREFIX"
wineserver -p
status=0

echo "== Windows unit tests under Wine"
wine build-win/tests/windows/windows_tests.exe --gtest_brief=1 || status=1
tests/windows/e2e_config_dialog.sh build-win || status=1

echo "== picdump.exe under Wine against the Linux picdump"
if [ ! -x "$linux_picdump" ]; then
  echo "no Linux picdump at $linux_picdump" >&2
  exit 1
fi
mkdir -p "$work/linux" "$work/wine"
files=()
for f in samples/* fuzz/{bmp,gif,jpeg,png,png_roundtrip}/{corpus,crashes}/*; do
  [ -f "$f" ] && [ "$(basename "$f")" != README ] && files+=("$f")
done
pairs=()
: > "$work/linux.err"
for i in "${!files[@]}"; do
  "$linux_picdump" "${files[$i]}" "$work/linux/$i.pam" 2>>"$work/linux.err"
  pairs+=("${files[$i]}" "$work/wine/$i.pam")
done
# One Wine start for all files: picdump takes many pairs.
wine build-win/picdump.exe "${pairs[@]}" 2>"$work/wine.err"
tr -d '\r' <"$work/wine.err" >"$work/wine.err.lf"
same=0
for i in "${!files[@]}"; do
  l=$work/linux/$i.pam w=$work/wine/$i.pam
  if { [ -f "$l" ] && [ -f "$w" ] && cmp -s "$l" "$w"; } || { [ ! -f "$l" ] && [ ! -f "$w" ]; }; then
    same=$((same + 1))
  else
    echo "picdump differs on ${files[$i]}"
    status=1
  fi
done
if ! diff "$work/linux.err" "$work/wine.err.lf"; then
  echo "picdump's messages differ (< Linux, > Wine)"
  status=1
fi
decoded=$(ls "$work/linux" | wc -l)
echo "picdump: $same of ${#files[@]} files alike ($decoded decoded, the rest refused with the same message)"
tests/windows/e2e_display.sh build-win || status=1
echo "Windows step: build $((built - start)) s, Wine tests $(($(date +%s) - built)) s"
exit $status
