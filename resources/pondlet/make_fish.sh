#!/bin/sh
# Draws the drop target's fish pictures and outlines (make_outlines.py)
# and its icon (136) from the medium fish. Run by `make images`; the
# results are committed.
set -eu
cd "$(dirname "$0")"
. ../images.sh
python3 make_outlines.py
convert fish_medium.bmp -fill none -draw 'color 0,0 floodfill' -transparent '#ff00ff' \
  -gravity center -background none -extent 131x131 "$tmp/fish.png"
icon "$tmp/fish.png" pondlet.ico
