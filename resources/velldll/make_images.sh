#!/bin/sh
# Draws velldll's pictures with ImageMagick and Python: the success icon
# (a white tick on a blue disc), the failure icon (a white cross on a red
# disc), each at 16, 32 and 48 pixels, and the hand cursor shown over
# clickable labels (hot spot at the finger tip). Run by `make images`; the
# results are committed.
set -eu
cd "$(dirname "$0")"
. ../images.sh

disc() { # colour rim file
  convert -size 192x192 xc:none -fill "$2" -draw 'circle 96,96 96,6' \
    -fill "$1" -draw 'circle 96,96 96,16' "$3"
}

disc '#1f5fd0' '#0b2f78' "$tmp/success.png"
convert "$tmp/success.png" -fill none -stroke white -strokewidth 22 \
  -draw 'stroke-linejoin round stroke-linecap round polyline 52,100 84,132 142,66' \
  "$tmp/success.png"
icon "$tmp/success.png" success.ico

disc '#d42a1e' '#7a1008' "$tmp/failure.png"
convert "$tmp/failure.png" -stroke white -strokewidth 24 \
  -draw 'line 62,62 130,130' -draw 'line 130,62 62,130' "$tmp/failure.png"
icon "$tmp/failure.png" failure.ico

# The hand: a raised index finger, three folded fingers, a thumb and a
# cuff, black outline on white, drawn at 32 x 32.
convert -size 32x32 xc:none -fill white -stroke black -strokewidth 1 \
  -draw 'roundrectangle 10,1 15,18 2,2' \
  -draw 'roundrectangle 15,9 19,19 2,2' \
  -draw 'roundrectangle 19,10 23,20 2,2' \
  -draw 'roundrectangle 23,11 27,21 2,2' \
  -draw 'polygon 10,13 5,17 4,19 10,27 24,27 27,20 27,16 10,16' \
  -stroke none -draw 'rectangle 11,14 26,20' \
  -stroke black -draw 'line 15,13 15,16' -draw 'line 19,14 19,16' \
  -draw 'line 23,15 23,17' \
  "$tmp/hand.png"
convert "$tmp/hand.png" -depth 8 rgba:"$tmp/hand.rgba"
python3 - "$tmp/hand.rgba" hand.cur <<'PY'
import struct, sys
# One 32 x 32 image, 32 bits per pixel with its AND mask, hot spot (12, 1).
w = h = 32
rgba = open(sys.argv[1], "rb").read()
rows = [rgba[y * w * 4:(y + 1) * w * 4] for y in range(h)]
xor = b"".join(bytes(p for i in range(w) for p in (r[4*i+2], r[4*i+1], r[4*i], r[4*i+3]))
               for r in reversed(rows))
mask = b""
for r in reversed(rows):
    bits = 0
    for i in range(w):
        bits = (bits << 1) | (1 if r[4 * i + 3] < 128 else 0)
    mask += struct.pack(">I", bits)
bmp = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
image = bmp + xor + mask
head = struct.pack("<HHH", 0, 2, 1)
entry = struct.pack("<BBBBHHII", w, h, 0, 0, 12, 1, len(image), 6 + 16)
open(sys.argv[2], "wb").write(head + entry + image)
PY
