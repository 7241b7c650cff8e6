#!/bin/sh
# Draws the masking button's two pictures with ImageMagick, 22 x 20 pixels,
# each a whole raised button face: key_masked.bmp (1013) three asterisks,
# the key is hidden; key_shown.bmp (1011) an open eye, the key is shown.
# Run by `make images`; the results are committed.
set -eu
cd "$(dirname "$0")"

face() { # out.png, then drawing arguments
  out=$1
  shift
  convert -size 22x20 xc:'#f0f0ec' \
    -fill none -stroke white -draw 'line 0,0 20,0' -draw 'line 0,0 0,18' \
    -stroke '#a0a0a0' -draw 'line 1,18 20,18' -draw 'line 20,1 20,18' \
    -stroke '#404040' -draw 'line 0,19 21,19' -draw 'line 21,0 21,19' \
    "$@" "$out"
}


face masked.png +antialias -stroke '#1a3f8a' -strokewidth 1 \
  -draw 'line 3,9 7,9' -draw 'line 5,7 5,11' -draw 'line 3,7 7,11' -draw 'line 3,11 7,7' \
  -draw 'line 9,9 13,9' -draw 'line 11,7 11,11' -draw 'line 9,7 13,11' -draw 'line 9,11 13,7' \
  -draw 'line 15,9 19,9' -draw 'line 17,7 17,11' -draw 'line 15,7 19,11' -draw 'line 15,11 19,7'
face shown.png -stroke '#1a3f8a' -strokewidth 1 -fill white \
  -draw 'ellipse 10.5,9 7,4 0,360' -fill '#1a3f8a' -draw 'circle 10.5,9 10.5,11'
convert masked.png -type truecolor BMP3:key_masked.bmp
convert shown.png -type truecolor BMP3:key_shown.bmp
rm -f masked.png shown.png
