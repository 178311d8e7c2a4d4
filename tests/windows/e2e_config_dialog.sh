#!/usr/bin/env bash
# The configuration dialog under Wine on its own Xvfb, in Japanese, in English
# and at 150 %: its window tree matches the layout table (dialog_probe), a
# Japanese folder name typed in survives (a missing one is refused with the
# message, and its saved text comes back), clicks and keys set the values,
# Enter saves them in the same order and form as the Linux dialog does (CRLF;
# the ANSI code page, or UTF-16 when the name does not fit it), and Esc saves
# nothing.
# Screenshots go to BUILD/screenshots.
# Usage: tests/windows/e2e_config_dialog.sh [BUILD]   (default build-win)
set -uo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build-win}
cmake --build "$out" -j"${ORV_JOBS:-2}" --target dialog_probe >/dev/null || exit 1
scr=$out/orvanne.scr  # made by scripts/build-windows.sh, with the installer
probe_exe=$out/tests/windows/dialog_probe.exe
shots=$out/screenshots
mkdir -p "$shots"

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
exec {fd}>"$work/display"
Xvfb -displayfd "$fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
# Wine takes the UI language and the ANSI code page from the locale.
mkdir -p "$work/locale"
localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" 2>/dev/null
localedef -i en_US -f UTF-8 "$work/locale/en_US.UTF-8" 2>/dev/null
export LOCPATH=$work/locale WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64
mkdir -p "$WINEPREFIX"
wineserver -p
# The dialog's face as Windows has it (the name maps to IPA's proportional Gothic here).
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1

status=0
fail() { echo "FAIL ($lang): $*"; status=1; }
probe() { wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
click() { xdotool mousemove $((ox + $1)) $((oy + $2)) click 1; sleep 0.3; }

for lang in ja_JP en_US; do
  export LANG=$lang.UTF-8
  dir=$work/$lang
  mkdir -p "$dir/prog" "$dir/写真 フォト"
  cp "$scr" "$dir/prog/orvanne.scr"
  wine "$dir/prog/orvanne.scr" /c 2>/dev/null &
  pid=$!
  report=$(probe check) || fail "layout: $report"
  echo "$lang: $(echo "$report" | tail -1)"
  read -r ox oy < <(probe origin)
  # OK with a folder that does not exist: the message, the saved text back, nothing saved.
  saved=$(probe folder)
  probe set-folder 'C:\no such folder' >/dev/null
  click 300 623           # OK
  message=$(probe message) || fail "no message for a missing folder"
  xdotool key Return
  probe no-message || fail "the message stays"
  for _ in $(seq 20); do [ "$(probe folder)" = "$saved" ] && break; sleep 0.2; done
  [ "$(probe folder)" = "$saved" ] || fail "folder field not restored: $(probe folder)"
  [ -e "$dir/prog/orvanne.ini" ] && fail "a missing folder was saved"
  case "$lang:$message" in
    "ja_JP:情報: 指定されたフォルダは存在しません。" | "en_US:Information: The folder does not exist.") ;;
    *) fail "message: $message" ;;
  esac
  folder=$(winepath -w "$dir/写真 フォト" 2>/dev/null | tr -d '\r')
  probe set-folder "$folder" >/dev/null || fail "cannot type into the folder field"
  sleep 0.5
  import -window root -crop 470x700+$((ox - 13))+$((oy - 40)) "$shots/config_dialog_$lang.png"
  click 247 296           # chkIllustExtend: off
  click 247 328           # chkPutFilename: on
  click 168 306           # the interval field, then five steps up
  xdotool key Up Up Up Up Up
  click 26 473            # the second drawing method
  report=$(probe check) || fail "after the clicks: $report"  # the name's options no longer greyed
  xdotool key Return      # OK
  wait "$pid"
  ini=$dir/prog/orvanne.ini
  [ -f "$ini" ] || { fail "no settings file"; continue; }
  # The ANSI code page when the folder's name fits it, else UTF-16 with its mark.
  if [ "$(head -c 2 "$ini" | od -An -tx1 | tr -d ' ')" = fffe ]; then
    [ "$lang" = en_US ] || fail "UTF-16 where code page 932 holds the name"
    text=$(iconv -f UTF-16 -t UTF-8 "$ini")
  else
    [ "$lang" = ja_JP ] || fail "code page 1252 cannot hold the name"
    text=$(iconv -f CP932 -t UTF-8 "$ini")
  fi
  lines=$(printf '%s' "$text" | grep -c '')
  [ "$(printf '%s' "$text" | grep -c $'\r$')" -eq "$lines" ] || fail "lines without CRLF"
  # What the Linux dialog's end-to-end test expects after the same steps.
  expected="[BGIllust]
Folder=$folder
ChangeSec=15
Extend=0
SubFolders=0
[Filename]
PutFilename=1
PutFullPath=0
PutExtention=1
[BGColor]
Enable=0
Color=0
[Settings]
DrawMode=1
AutoRotate=1
FadeTime=0"
  got=$(printf '%s' "$text" | tr -d '\r')
  [ "$got" = "$expected" ] || fail "settings file:"$'\n'"$got"
done

# At 150 % the table's places scale with the DPI, the folder browser and the
# colour chooser open from their buttons; Esc (Cancel) writes nothing.
lang=en_US
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -k; wineserver -w; wineserver -p
before=$(md5sum <"$work/en_US/prog/orvanne.ini")
wine "$work/en_US/prog/orvanne.scr" /c 2>/dev/null &
pid=$!
report=$(probe check) || fail "layout at 144 dpi: $report"
echo "$lang: $(echo "$report" | tail -1)"
read -r ox oy < <(probe origin)
import -window root -crop 700x1000+$((ox - 20))+$((oy - 50)) "$shots/config_dialog_144dpi.png"
at() { echo $(($1 * 3 / 2)); }  # the table's places at 144 dpi
click "$(at 250)" "$(at 252)"   # the folder browser opens, owned by the dialog
browser=$(probe message) || fail "no folder browser"
xdotool key Escape
probe no-message || fail "the folder browser stays"
click "$(at 22)" "$(at 352)"    # fill the background, then the colour chooser
click "$(at 130)" "$(at 378)"
chooser=$(probe message) || fail "no colour chooser"
xdotool key Escape
probe no-message || fail "the colour chooser stays"
echo "$lang at 144 dpi: opened \"${browser%%:*}\" and \"${chooser%%:*}\""
xdotool key Escape
wait "$pid"
[ "$(md5sum <"$work/en_US/prog/orvanne.ini")" = "$before" ] || fail "Esc changed the settings file"
# The installer, silent: Orvanne becomes the current screen saver (the
# previous one remembered) with the user's pictures as its folder; /c of the
# installed copy opens the dialog, whose Enter saves beside it; the silent
# uninstall takes everything away and gives the previous saver back.
lang=setup
desktop='HKCU\Control Panel\Desktop'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanne'
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }
if [ ! -f "$out/orvanne-setup.exe" ]; then
  fail "no $out/orvanne-setup.exe"
else
  previous='C:\windows\system32\scrnsave.scr'
  wine reg add "$desktop" /v SCRNSAVE.EXE /t REG_SZ /d "$previous" /f >/dev/null 2>&1
  wine "$out/orvanne-setup.exe" /S 2>/dev/null  # returns when it is done
  current=$(reg_value "$desktop" SCRNSAVE.EXE)
  scr_unix=$(winepath -u "$current" 2>/dev/null)
  installed=$(dirname "$scr_unix")
  [ -f "$scr_unix" ] && [ "$(basename "$scr_unix")" = orvanne.scr ] || fail "current screen saver: $current"
  for f in README.txt uninstall.exe orvanne.ini; do [ -f "$installed/$f" ] || fail "not installed: $f"; done
  grep -q '^Folder=.*\\Pictures'$'\r''$' "$installed/orvanne.ini" || fail "folder: $(cat "$installed/orvanne.ini")"
  wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "no uninstall entry"
  wine "$scr_unix" /c 2>/dev/null &
  pid=$!
  report=$(probe check) || fail "layout of the installed copy's /c: $report"
  xdotool key Return
  wait "$pid"
  keys=$(tr -d '\r' <"$installed/orvanne.ini" | sed 's/=.*//' | tr '\n' ' ')
  [ "$keys" = "[BGIllust] Folder ChangeSec Extend SubFolders [Filename] PutFilename PutFullPath PutExtention [BGColor] Enable Color [Settings] DrawMode AutoRotate FadeTime " ] ||
    fail "keys saved by /c: $keys"
  # The uninstaller runs on as a copy in the temporary folder: wait for its work.
  wine "$installed/uninstall.exe" /S 2>/dev/null
  for _ in $(seq 100); do [ -e "$installed" ] || break; sleep 0.2; done
  [ -e "$installed" ] && fail "left behind: $(ls -A "$installed")"
  [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$previous" ] || fail "previous screen saver not restored"
  wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "uninstall entry left behind"
  [ $status -eq 0 ] && echo "installer: silent install, /c of the installed copy, silent uninstall passed"
fi

[ $status -eq 0 ] && echo "configuration dialog under Wine: passed (screenshots in $shots)"
exit $status
