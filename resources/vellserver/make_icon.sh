#!/bin/sh
# Draws vellserver.ico: a gold key on a dark blue disc, at 16, 32 and 48
# pixels. Run by `make images` (ImageMagick); the .ico is committed.
set -eu
cd "$(dirname "$0")"
. ../images.sh
convert -size 192x192 xc:none \
  -fill '#1f3b73' -draw 'circle 96,96 96,4' \
  -fill '#f2c230' -stroke '#8a6a00' -strokewidth 6 \
  -draw 'circle 62,96 62,56' \
  -draw 'rectangle 92,86 168,106' \
  -draw 'rectangle 132,106 146,132' \
  -draw 'rectangle 154,106 168,126' \
  -stroke none -fill '#1f3b73' -draw 'circle 62,96 62,80' \
  "$tmp/key.png"
icon "$tmp/key.png" vellserver.ico
