#!/usr/bin/env bash
# Makes the bundled sample pictures in samples/ with ImageMagick. Run once;
# the results are checked in. Seeds keep the fractal plasma reproducible.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/samples"
convert=/usr/bin/convert
mkdir -p "$out"

# JPEG: landscape, portrait (pillarboxed on a wide screen) and a panorama.
"$convert" -size 800x600 -seed 11 plasma:orange-purple -blur 0x3 -quality 78 "$out/dusk.jpg"
"$convert" -size 450x800 -seed 23 plasma:green-skyblue -blur 0x3 -quality 78 "$out/meadow-portrait.jpg"
"$convert" -size 1200x300 -seed 5 plasma:navy-gold -blur 0x2 -quality 75 "$out/horizon.jpeg"

# BMP: a 24-bit gradient and an 8-bit palette picture, kept small.
"$convert" -size 160x120 gradient:'#ff6040'-'#2040c0' -type TrueColor "BMP3:$out/warm-cool.bmp"
"$convert" -size 256x192 radial-gradient:'#ffe080'-'#402060' -colors 64 -type Palette "BMP3:$out/rings.bmp"

# PNG and GIF: a palette PNG with a swirl and an 8-colour GIF.
"$convert" -size 400x300 gradient:white-teal -swirl 240 -colors 32 "$out/lagoon.png"
"$convert" -size 80x60 pattern:checkerboard -scale 400% -auto-level +level-colors '#c03050','#f0e0a0' -colors 8 "$out/checks.gif"

ls -l "$out"
