#!/bin/sh
# Draws the main window's pictures with ImageMagick, in the style of the
# program icon (drawn at 192 pixels, then scaled): the four page commands
# (a page or a folder with a closed or an open padlock), help (a white
# question mark on a blue disc, also the Help button's glyph), the web page
# (a globe) and the picture panel. Run by `make images`; the results are
# committed.
set -eu
cd "$(dirname "$0")"
. ../images.sh

page() { # out.png: a white page with a folded corner
  convert -size 192x192 xc:none -stroke '#55606e' -strokewidth 6 -fill white \
    -draw 'polygon 34,12 118,12 158,52 158,180 34,180' \
    -fill '#d9dee6' -draw 'polygon 118,12 118,52 158,52' \
    -stroke '#9aa6b6' -strokewidth 6 \
    -draw 'line 56,76 136,76' -draw 'line 56,100 136,100' -draw 'line 56,124 100,124' "$1"
}
folder() { # out.png: a yellow folder
  convert -size 192x192 xc:none -stroke '#8a6a00' -strokewidth 6 -fill '#e8b730' \
    -draw 'roundrectangle 8,36 84,64 10,10' \
    -fill '#f6cf55' -draw 'roundrectangle 8,52 184,170 12,12' "$1"
}
lock() { # in.png open|closed colour out.png: a padlock at the lower right
  shackle='arc 112,74 160,122 180,360'
  legs="line 112,98 112,116 line 160,98 160,112"
  [ "$2" = open ] && shackle='arc 112,50 160,98 180,360' && legs="line 112,74 112,112 line 160,74 160,84"
  convert "$1" -fill none -stroke '#5b6270' -strokewidth 12 -draw "$shackle" \
    -draw "$legs" \
    -stroke '#6b4f00' -strokewidth 5 -fill "$3" -draw 'roundrectangle 98,108 174,172 10,10' \
    -stroke none -fill '#3a2c00' -draw 'circle 136,132 136,124' \
    -draw 'rectangle 132,132 140,156' "$4"
}

page "$tmp/page.png"
folder "$tmp/folder.png"
lock "$tmp/page.png" closed '#f2c230' "$tmp/152.png"
lock "$tmp/page.png" open '#7cc86a' "$tmp/154.png"
lock "$tmp/folder.png" closed '#f2c230' "$tmp/153.png"
lock "$tmp/folder.png" open '#7cc86a' "$tmp/155.png"
icon "$tmp/152.png" encrypt_files.ico
icon "$tmp/154.png" decrypt_files.ico
icon "$tmp/153.png" encrypt_folder.ico
icon "$tmp/155.png" decrypt_folder.ico

# System integration: a window of the file manager with a pop-up menu,
# and the padlock.
convert -size 192x192 xc:none -stroke '#3d4a5c' -strokewidth 6 -fill white \
  -draw 'rectangle 10,20 150,160' -fill '#3b6fc4' -draw 'rectangle 10,20 150,44' \
  -stroke '#9aa6b6' -draw 'line 28,70 92,70' -draw 'line 28,94 92,94' \
  -stroke '#3d4a5c' -strokewidth 5 -fill '#eef1f6' -draw 'rectangle 70,60 176,150' \
  -stroke none -fill '#2a6fd6' -draw 'rectangle 76,68 170,86' "$tmp/window.png"
lock "$tmp/window.png" closed '#f2c230' "$tmp/138.png"
icon "$tmp/138.png" integration.ico

question() { # out.png: a white question mark on a blue disc
  convert -size 192x192 xc:none -fill '#0b3f8f' -draw 'circle 96,96 96,6' \
    -fill '#2a6fd6' -draw 'circle 96,96 96,16' \
    -fill none -stroke white -strokewidth 22 \
    -draw 'stroke-linecap round stroke-linejoin round path "M 66,72 A 30,30 0 0 1 126,72 Q 126,92 96,106 L 96,122"' \
    -stroke none -fill white -draw 'circle 96,152 96,138' "$1"
}
question "$tmp/help.png"
icon "$tmp/help.png" help.ico

convert -size 192x192 xc:none -fill '#1c5fae' -draw 'circle 96,96 96,6' \
  -fill '#3b8de0' -draw 'circle 96,96 96,16' \
  -fill '#5fae4a' -draw 'polygon 52,50 96,40 110,70 84,96 92,128 70,150 54,110 40,84' \
  -draw 'polygon 122,102 156,96 160,130 134,160 118,134' \
  -fill none -stroke '#e8f1fb' -strokewidth 5 -draw 'ellipse 96,96 40,80 0,360' \
  -draw 'line 16,96 176,96' -draw 'ellipse 96,96 80,30 0,360' \
  -stroke '#0b3f8f' -strokewidth 6 -draw 'circle 96,96 96,10' "$tmp/web.png"
icon "$tmp/web.png" web.ico

# The picture panel: a padlock over a shield on the top bar's blue, fading
# into the dialog's background at the left.
convert -size 108x192 gradient:'#c4d3ee'-'#fcfffc' -rotate 90 \
  -fill '#1f3b73' -stroke '#0f2248' -strokewidth 3 \
  -draw 'path "M 120,10 L 170,24 L 170,58 Q 170,88 120,102 Q 70,88 70,58 L 70,24 Z"' \
  -fill none -stroke '#c9ccd6' -strokewidth 8 -draw 'arc 104,26 136,58 180,360' \
  -draw 'line 104,42 104,50' -draw 'line 136,42 136,50' \
  -stroke '#8a6a00' -strokewidth 2 -fill '#f2c230' -draw 'roundrectangle 96,48 144,84 5,5' \
  -stroke none -fill '#1f3b73' -draw 'circle 120,62 120,57' -draw 'rectangle 118,62 122,74' \
  -resize 216x122 -type TrueColor BMP3:picture.bmp
