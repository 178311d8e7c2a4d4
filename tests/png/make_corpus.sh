#!/bin/sh
# Rebuilds tests/png/corpus: ImageMagick's files here, the rest through
# png_make_corpus (libpng's writer and hand-made malformed files).
# Usage: make_corpus.sh BUILD_DIR
set -e
here=$(dirname "$0")/corpus
rm -rf "$here" && mkdir -p "$here"
: > "$here/expected.txt"
im() {  # name note output-prefix convert-arguments...
  name=$1 note=$2 prefix=$3; shift 3
  /usr/bin/convert "$@" "$prefix$here/$name"
  echo "$name | libpng | ImageMagick: $note" >> "$here/expected.txt"
}
im im_grey1.png "1-bit grey" "" -size 17x9 gradient:black-white -monochrome
im im_grey8.png "8-bit grey" "" -size 17x9 gradient:black-white -define png:color-type=0 -depth 8
im im_grey16.png "16-bit grey" "" -size 17x9 gradient:black-white -define png:color-type=0 -depth 16
im im_palette.png "8-bit palette" "PNG8:" -size 17x9 gradient:red-blue
im im_rgb.png "8-bit RGB with comment" "PNG24:" -size 17x9 gradient:red-blue -set comment "made by convert"
im im_rgb16_adam7.png "16-bit RGB, Adam7" "PNG48:" -size 17x9 gradient:yellow-navy -interlace PNG
im im_rgba.png "RGBA with half alpha" "PNG32:" -size 17x9 gradient:red-blue -alpha set -channel A -evaluate set 50% +channel
im im_rgba16.png "16-bit RGBA" "PNG64:" -size 17x9 gradient:red-blue -alpha set -channel A -evaluate set 25% +channel
im im_greyalpha.png "grey with alpha" "" -size 17x9 gradient:black-white -alpha set -channel A -evaluate set 40% +channel -colorspace gray -define png:color-type=4 -depth 8
im im_palette_trns.png "palette with one transparent entry" "" -size 17x9 xc:red -fill blue -draw "rectangle 2,2 8,6" -transparent red -define png:color-type=3
"$1/tests/png/png_make_corpus" "$here"
