#!/bin/sh
# Draws vellapp.ico (icon 128): a gold padlock on a dark blue rounded
# square, at 16, 32 and 48 pixels. Run once by hand (ImageMagick); the .ico
# is committed.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 192x192 xc:none \
  -fill '#1f3b73' -draw 'roundrectangle 6,6 186,186 34,34' \
  -fill none -stroke '#c9ccd6' -strokewidth 18 \
  -draw 'arc 58,34 134,110 180,360' \
  -draw 'line 58,72 58,96' -draw 'line 134,72 134,96' \
  -stroke '#8a6a00' -strokewidth 5 -fill '#f2c230' \
  -draw 'roundrectangle 40,92 152,166 12,12' \
  -stroke none -fill '#1f3b73' \
  -draw 'circle 96,120 96,108' -draw 'rectangle 91,120 101,148' \
  "$tmp/lock.png"
for size in 16 32 48; do
  convert "$tmp/lock.png" -resize ${size}x${size} "$tmp/lock$size.png"
done
convert "$tmp/lock16.png" "$tmp/lock32.png" "$tmp/lock48.png" vellapp.ico
