#!/usr/bin/env bash
# Builds Orvanne and starts the full-screen slideshow on the bundled sample
# pictures (samples/). The demo runs a copy of the program in build/demo/ with
# its own orvanne.ini, so settings saved beside the real program stay as they
# are. Any key, click or mouse move ends it.
#
# Without a display ($DISPLAY empty) it runs under Xvfb, saves a few
# screenshots to build/slideshow-N.png, and ends by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
demo="$build/demo"

. "$root/scripts/deps.sh"
packages=("${ORV_BUILD_PACKAGES[@]}" "${ORV_RUN_PACKAGES[@]}")
[ -z "${DISPLAY:-}" ] && packages+=("${ORV_HEADLESS_PACKAGES[@]}")
orv_install_packages "${packages[@]}"

[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build"
cmake --build "$build" -j2 --target orvanne

mkdir -p "$demo"
cp "$build/src/app/orvanne" "$demo/orvanne"
cat > "$demo/orvanne.ini" <<INI
[BGIllust]
Folder=$root/samples
ChangeSec=4
Extend=1
[Filename]
PutFilename=1
PutFullPath=0
PutExtention=1
[BGColor]
Enable=0
Color=0
[Settings]
DrawMode=0
INI

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the slideshow; any key, click or mouse move ends it."
  exec "$demo/orvanne" /s
fi

# Headless: a private X server, three screenshots a picture change apart.
numfile=$(mktemp)
exec 3>"$numfile"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$numfile"' EXIT
for _ in $(seq 100); do [ -s "$numfile" ] && break; sleep 0.1; done
[ -s "$numfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$numfile")"
export QT_QPA_PLATFORM=xcb

"$demo/orvanne" /s &
saver=$!
sleep 2
shots=()
for i in 1 2 3; do
  /usr/bin/import -window root "$build/slideshow-$i.png"
  shots+=("$build/slideshow-$i.png")
  [ "$i" -lt 3 ] && sleep 4
done
xdotool key space
wait "$saver" || true
echo "No display: ran under Xvfb at 1920x1080. Screenshots:"
printf '  %s\n' "${shots[@]}"
