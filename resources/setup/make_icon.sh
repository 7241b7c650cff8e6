#!/bin/sh
# Draws setup.ico, the icon of the setup tools and the installer: a gold key
# across a blue box, at 16, 32 and 48 pixels. Run once by hand
# (ImageMagick); the .ico is committed.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 192x192 xc:none \
  -fill '#1f3b73' -stroke '#0e1d3a' -strokewidth 6 -draw 'rectangle 20,52 172,176' \
  -fill '#2d54a0' -draw 'polygon 20,52 60,16 132,16 172,52' \
  -fill '#f2c230' -stroke '#8a6a00' -strokewidth 6 \
  -draw 'circle 64,112 64,80' \
  -draw 'rectangle 90,104 160,120' \
  -draw 'rectangle 128,120 140,140' \
  -stroke none -fill '#1f3b73' -draw 'circle 64,112 64,98' \
  "$tmp/box.png"
for size in 16 32 48; do
  convert "$tmp/box.png" -resize ${size}x${size} "$tmp/box$size.png"
done
convert "$tmp/box16.png" "$tmp/box32.png" "$tmp/box48.png" setup.ico
