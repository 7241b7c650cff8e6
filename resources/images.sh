# Sourced by the image scripts under resources/: a temporary folder removed
# on exit, and the icon routine they share.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

icon() { # drawing.png out.ico: the drawing at 16, 32 and 48 pixels
  for size in 16 32 48; do
    convert "$1" -resize ${size}x${size} "$tmp/i$size.png"
  done
  convert "$tmp/i16.png" "$tmp/i32.png" "$tmp/i48.png" "$2"
}
