#!/bin/sh
# Draws the pictures beside the context-menu items with ImageMagick, 13 x 13
# pixels in 16 colours on the grey that loading turns into the menu's face
# colour: encrypt.bmp (103) a closed padlock, decrypt.bmp (101) an open
# one. Run by `make images`; the results are committed.
set -eu
cd "$(dirname "$0")"

lock() { # out.bmp, then the shackle's drawing arguments
  out=$1
  shift
  convert -size 13x13 xc:'#c0c0c0' +antialias \
    -fill none -stroke '#000080' "$@" \
    -fill '#ffff00' -stroke '#808000' -draw 'rectangle 1,6 11,12' \
    -fill '#000000' -stroke none -draw 'rectangle 6,8 6,10' \
    -type Palette -colors 16 BMP3:"$out"
}

lock encrypt.bmp -draw 'line 3,6 3,3' -draw 'line 9,6 9,3' -draw 'line 4,1 8,1' \
  -draw 'point 3,2' -draw 'point 9,2'
lock decrypt.bmp -draw 'line 9,6 9,3' -draw 'line 10,1 12,1' -draw 'point 9,2' \
  -draw 'line 12,1 12,3'
