#!/usr/bin/env bash
# orvanne.scr under Wine on a display of its own (Xvfb, no window manager):
# /s shows a picture of the folder set in the INI and ends on a key and on a
# mouse move, clearing the running mark; a second copy ends at once (/a
# passes the guard and finds no mode); /p <hwnd> runs as a child of a host
# window, ignores input and ends when that window goes; an empty folder's
# error lines, also at 150 %; a second monitor left of or above the primary
# one (at negative x or y) gets its picture and caption; the manifest, version record and
# imports.
# Usage: tests/windows/e2e_display.sh [BUILD_DIR]   (default build-win, after
# scripts/build-windows.sh --tests). Screenshots are left in BUILD_DIR/e2e-display.
set -uo pipefail
cd "$(dirname "$0")/../.."
out=$(cd "${1:-build-win}" && pwd)
scr=$out/orvanne.scr
probe=$out/tests/windows/win_probe.exe
shots=$out/e2e-display
. scripts/deps.sh
orv_install_packages "${ORV_HEADLESS_PACKAGES[@]}"
for f in "$scr" "$probe"; do [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }; done
rm -rf "$shots" && mkdir -p "$shots"

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64 LANG=en_US.UTF-8
unset WINESERVER
xvfb_pid= xvfb2_pid=
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb2_pid" ] && kill "$xvfb2_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 3.
W=1280 H=720
Xvfb -displayfd 3 -screen 0 ${W}x${H}x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
mkdir -p "$WINEPREFIX"
wineserver -p
# The prefix is made here, not inside the first timed wait below.
wineboot -i >/dev/null 2>&1

failed=0 passed=0 skipped=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAIL: $*"; failed=$((failed + 1)); }
skip() { echo "SKIP: $*"; skipped=$((skipped + 1)); }
win_path() { local p=${1//\//\\}; echo "Z:$p"; }
# Waits up to $2 tenths of a second for process $1 to end; its exit code, or 124.
wait_end() {
  local i
  for ((i = 0; i < $2; i++)); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }
    sleep 0.1
  done
  return 124
}
# ok when process $1 ends with 0 within $2 tenths of a second ($3 says what).
expect_end() {
  wait_end "$1" "$2"
  local rc=$?
  [ $rc = 0 ] && ok "$3" || { bad "$3 (rc $rc)"; kill "$1" 2>/dev/null; }
}
mark() { wine "$probe" running | tr -d '\r'; }
shoot() { import -display "$DISPLAY" -window root "$1" 2>/dev/null; }
pixel() { /usr/bin/convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6; }
# Pixels of colour $6 in the rectangle $2x$3+$4+$5 of screenshot $1.
count() { /usr/bin/convert "$1" -crop "$2x$3+$4+$5" +repage -depth 8 txt:- 2>/dev/null | grep -ci "$6"; }

# The program in a folder of its own with its INI; a magenta picture on a
# green background, captioned.
app=$work/app pics=$work/pics
mkdir -p "$app" "$pics"
cp "$scr" "$app/orvanne.scr"
/usr/bin/convert -size 400x300 'xc:rgb(200,40,120)' "BMP3:$pics/a.bmp"
magenta=C82878 green=00C000
printf '[BGIllust]\r\nFolder=%s\r\n[Filename]\r\nPutFilename=1\r\n[BGColor]\r\nEnable=1\r\nColor=$0000C000\r\n' \
  "$(win_path "$pics")" >"$app/orvanne.ini"
run() { wine "$app/orvanne.scr" "$@" >/dev/null 2>&1; }

# Starts /s and waits for the picture; the pid in $show.
start_show() {
  run /s &
  show=$!
  local i
  for i in $(seq 40); do
    shoot "$work/shot.png"
    [ "$(pixel "$work/shot.png" $((W / 2)) $((H / 2)))" = "$magenta" ] && return 0
    kill -0 "$show" 2>/dev/null || return 1
    sleep 0.25
  done
  return 1
}

echo "== /s shows the picture"
if start_show; then
  cp "$work/shot.png" "$shots/show.png"
  ok "the picture in the middle"
  # 400 x 300 fitted to 1280 x 720 is 960 x 720 at (160, 0): the background beside it.
  [ "$(pixel "$work/shot.png" 80 $((H / 2)))" = "$green" ] && [ "$(pixel "$work/shot.png" $((W - 80)) $((H / 2)))" = "$green" ] &&
    [ "$(pixel "$work/shot.png" 165 $((H / 2)))" = "$magenta" ] && [ "$(pixel "$work/shot.png" 155 $((H / 2)))" = "$green" ] &&
    ok "fitted and centred on the colour background" || bad "fit or background: $(pixel "$work/shot.png" 80 $((H / 2))) $(pixel "$work/shot.png" 155 $((H / 2)))"
  # The caption "a.bmp", white with a black outline, in the lower left corner.
  white=$(count "$work/shot.png" 120 40 0 $((H - 40)) '#FFFFFF')
  black=$(count "$work/shot.png" 120 40 0 $((H - 40)) '#000000')
  [ "$white" -gt 15 ] && [ "$black" -gt 15 ] && ok "the caption ($white white, $black black pixels)" ||
    bad "no caption ($white white, $black black pixels)"
  [ "$(mark)" = 1 ] && ok "the running mark is set" || bad "the running mark is not set"

  echo "== the instance guard during the show"
  for args in "/s" "/c" "/p 123" "/a 123"; do
    # shellcheck disable=SC2086
    run $args &
    expect_end $! 150 "a second copy with $args ends at once"
  done
  kill -0 "$show" 2>/dev/null && ok "the show runs on" || bad "the show ended with the second copies"

  echo "== a key ends the show"
  xdotool key shift
  expect_end "$show" 100 "ended on a key"
  [ "$(mark)" = 0 ] && ok "the running mark is cleared" || bad "the running mark stays set"
else
  bad "no picture on the screen (centre $(pixel "$work/shot.png" $((W / 2)) $((H / 2))))"
  cp "$work/shot.png" "$shots/show.png"
  kill "$show" 2>/dev/null
fi

echo "== a mouse move ends the show"
if start_show; then
  xdotool mousemove_relative 3 2
  expect_end "$show" 100 "ended on a mouse move"
else
  bad "the second show showed no picture"
  kill "$show" 2>/dev/null
fi

echo "== the desktop snapshot behind the picture; the system closes the show"
# A white window left of where the picture will be: the snapshot keeps it
# after the window itself has gone.
printf '[BGIllust]\r\nFolder=%s\r\n' "$(win_path "$pics")" >"$app/orvanne.ini"
wine "$probe" host "$(win_path "$work/snapshot-done")" >"$work/desk.out" 2>/dev/null &
desk=$!
for _ in $(seq 50); do shoot "$work/shot.png"; [ "$(pixel "$work/shot.png" 130 200)" = FFFFFF ] && break; sleep 0.1; done
if start_show; then
  touch "$work/snapshot-done"
  for _ in $(seq 100); do grep -q destroyed "$work/desk.out" && break; sleep 0.1; done
  sleep 0.5
  shoot "$work/shot.png"
  cp "$work/shot.png" "$shots/snapshot.png"
  [ "$(pixel "$work/shot.png" 130 200)" = FFFFFF ] && [ "$(pixel "$work/shot.png" 60 200)" = 000000 ] &&
    ok "the background is the desktop as it was" || bad "no snapshot: $(pixel "$work/shot.png" 130 200) at (130, 200)"
  wine "$probe" close OrvanneShow
  expect_end "$show" 100 "ended when closed"
  [ "$(mark)" = 0 ] && ok "the running mark is cleared" || bad "the running mark stays set after a close"
else
  bad "the third show showed no picture"
  kill "$show" 2>/dev/null
fi
touch "$work/snapshot-done"
wait_end "$desk" 100 >/dev/null || kill "$desk" 2>/dev/null

echo "== /p <hwnd>: a child of the host's window, ending with it"
flag=$work/destroy-host
wine "$probe" host "$(win_path "$flag")" >"$work/host.out" 2>/dev/null &
host_pid=$!
hwnd=
for _ in $(seq 100); do hwnd=$(head -1 "$work/host.out" 2>/dev/null | tr -d '\r'); [ -n "$hwnd" ] && break; sleep 0.1; done
if [ -z "$hwnd" ]; then
  bad "the host window did not come up"
else
  run /p "$hwnd" &
  preview=$!
  for _ in $(seq 150); do grep -q '^child' "$work/host.out" && break; sleep 0.1; done
  child=$(grep '^child' "$work/host.out" | tr -d '\r')
  # The host's client area is 320 x 240.
  [ "$child" = "child OrvanneShow 320x240" ] && ok "runs as a child filling the host window" ||
    bad "no child filling the host window ($child)"
  sleep 1.5
  xdotool mousemove 260 220 key space
  sleep 0.5
  kill -0 "$preview" 2>/dev/null && ok "the preview ignores input" || bad "the preview ended on input"
  shoot "$work/preview.png"
  cp "$work/preview.png" "$shots/preview.png"
  centre=$(pixel "$work/preview.png" 260 220)
  if [ "$centre" = "$magenta" ]; then
    ok "the preview shows the picture"
  else
    skip "drawing in the preview: Wine cannot draw into another process's window (the host shows $centre)"
  fi
  touch "$flag"
  expect_end "$preview" 100 "the preview ends when the host window goes"
fi
wait_end "$host_pid" 100 >/dev/null || kill "$host_pid" 2>/dev/null
run /p 12345 &
expect_end $! 100 "/p with a handle of no window ends at once"

echo "== an empty folder: the error lines, sharp at 150 %"
mkdir -p "$work/empty"
printf '[BGIllust]\r\nFolder=%s\r\n[BGColor]\r\nEnable=1\r\nColor=$0000C000\r\n' "$(win_path "$work/empty")" >"$app/orvanne.ini"
# The box around the pixels of colour $2 in screenshot $1: WxH+X+Y.
ink() { /usr/bin/convert "$1" -fill black +opaque "$2" -trim -format '%wx%h%O' info: 2>/dev/null; }
error_lines() {  # $1: name of the screenshot
  run /s &
  show=$!
  local i box=
  for i in $(seq 40); do
    shoot "$work/shot.png"
    box=$(ink "$work/shot.png" '#FFFF00')
    case $box in 1x1*|'') ;; *) break ;; esac
    sleep 0.25
  done
  cp "$work/shot.png" "$shots/$1.png"
  xdotool key shift
  wait_end "$show" 100 >/dev/null || kill "$show" 2>/dev/null
  echo "$box"
}
normal=$(error_lines error-lines)
# The first line (24 pt, yellow) ends above the middle; the second (cyan) follows.
h=${normal#*x}; h=${h%%[+-]*}; y=${normal##*+}
cyan=$(ink "$shots/error-lines.png" '#00FFFF')
[ -n "$h" ] && [ "$h" -gt 10 ] && [ "$y" -lt $((H / 2 - 20)) ] && [ "$y" -gt $((H / 2 - 70)) ] && ok "the error title ($normal)" ||
  bad "no error title ($normal)"
case $cyan in 1x1*|'') bad "no error text below it" ;; *) ok "the error text ($cyan)" ;; esac
# Windows' 150 % scale: the text grows with it. (Wine 8 tells even programs
# without the manifest's per-monitor awareness the real scale, so the
# manifest is checked on its own below.)
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -k; wineserver -w; wineserver -p
large=$(error_lines error-lines-150)
hl=${large#*x}; hl=${hl%%[+-]*}
[ -n "$hl" ] && [ -n "$h" ] && [ $((hl * 10)) -ge $((h * 13)) ] && [ $((hl * 10)) -le $((h * 17)) ] &&
  ok "the error title at 150 % is ${hl} px high against ${h} px" || bad "the error title at 150 %: $large against $normal"

# X positions never go below 0, but Windows puts the primary monitor at 0,0:
# two RandR monitors, the second one primary, and Wine taking them from
# Xinerama (which lists the primary first) puts the first one at negative x
# or y. -noreset keeps the monitors when xrandr disconnects.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
printf '[BGIllust]\r\nFolder=%s\r\n[Filename]\r\nPutFilename=1\r\n[BGColor]\r\nEnable=1\r\nColor=$0000C000\r\n' \
  "$(win_path "$pics")" >"$app/orvanne.ini"
# $1: the first monitor's name (by where it lies), $2 x $3: the X screen,
# ($4, $5): the primary monitor on it, $6: the monitors Wine must report.
two_monitors() {
  echo "== the $1 monitor at negative coordinates"
  wineserver -k; wineserver -w
  Xvfb -displayfd 3 -screen 0 "$2x$3x24" -nolisten tcp -noreset 3>"$work/display2" 2>/dev/null &
  xvfb2_pid=$!
  for _ in $(seq 100); do [ -s "$work/display2" ] && break; sleep 0.05; done
  DISPLAY=:$(cat "$work/display2")
  xrandr --setmonitor first "$W/339x$H/190+0+0" none >/dev/null
  xrandr --setmonitor '*primary' "$W/339x$H/190+$4+$5" screen >/dev/null
  wineserver -p
  local monitors shot=$shots/monitor-$1.png
  monitors=$(wine "$probe" monitors | tr -d '\r' | tr '\n' ' ')
  if [ "$monitors" != "$6 " ]; then
    bad "Wine reports the monitors as '$monitors', not $6"
  # start_show waits for the picture at (W / 2, H / 2): the first monitor's middle.
  elif start_show; then
    # Fitted to that monitor alone: 960 x 720 at (160, 0) of it.
    [ "$(pixel "$work/shot.png" 155 $((H / 2)))" = "$green" ] && [ "$(pixel "$work/shot.png" 165 $((H / 2)))" = "$magenta" ] &&
      [ "$(pixel "$work/shot.png" $((W - 155)) $((H / 2)))" = "$green" ] && ok "the picture fitted to the $1 monitor" ||
      bad "the picture on the $1 monitor: $(pixel "$work/shot.png" 155 $((H / 2))) $(pixel "$work/shot.png" $((W - 155)) $((H / 2)))"
    # The caption "a.bmp" in each monitor's lower left corner; the primary
    # one's window shows last.
    local at x y
    for at in "$1:0:0" "primary:$4:$5"; do
      IFS=: read -r _ x y <<<"$at"
      for _ in $(seq 20); do
        white=$(count "$work/shot.png" 120 40 "$x" $((y + H - 40)) '#FFFFFF')
        black=$(count "$work/shot.png" 120 40 "$x" $((y + H - 40)) '#000000')
        [ "$white" -gt 15 ] && [ "$black" -gt 15 ] && break
        sleep 0.25
        shoot "$work/shot.png"
      done
      [ "$white" -gt 15 ] && [ "$black" -gt 15 ] && ok "the caption at the bottom of the ${at%%:*} monitor" ||
        bad "no caption at the bottom of the ${at%%:*} monitor ($white white, $black black pixels)"
    done
    xdotool key shift
    expect_end "$show" 100 "the show on two monitors ended on a key"
  else
    bad "no picture on the $1 monitor (its middle $(pixel "$work/shot.png" $((W / 2)) $((H / 2))))"
    kill "$show" 2>/dev/null
  fi
  cp "$work/shot.png" "$shot" 2>/dev/null
  wineserver -k; wineserver -w
  kill "$xvfb2_pid" && wait "$xvfb2_pid" 2>/dev/null
  xvfb2_pid=
}
two_monitors left $((2 * W)) $H $W 0 "0,0,$W,$H -$W,0,0,$H"
two_monitors upper $W $((2 * H)) 0 $H "0,0,$W,$H 0,-$H,$W,0"

echo "== the file"
version=$(sed -n 's/^project(Orvanne VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
got=$(wine "$probe" version "$(win_path "$app/orvanne.scr")" | tr -d '\r')
[ "$got" = "$version" ] && ok "FileVersion $got" || bad "FileVersion '$got', not $version"
manifest=$(wine "$probe" manifest "$(win_path "$app/orvanne.scr")" | tr -d '\r')
grep -q '<dpiAwareness[^>]*>PerMonitorV2' <<<"$manifest" && grep -q 'Microsoft.Windows.Common-Controls.*version="6.0.0.0"' <<<"$manifest" &&
  ok "the manifest: per-monitor DPI aware v2, common controls 6" || bad "the manifest: ${manifest:0:200}"
others=$(x86_64-w64-mingw32-objdump -p "$scr" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' |
  grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|shell32.dll|advapi32.dll|comctl32.dll|comdlg32.dll|version.dll|shlwapi.dll|winmm.dll|mpr.dll|uxtheme.dll')
[ -z "$others" ] && ok "imports only system DLLs" || bad "imports $others"

echo "e2e display: $passed passed, $failed failed, $skipped skipped"
[ $failed = 0 ]
