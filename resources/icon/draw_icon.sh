#!/bin/sh
# Draws icon 100 (resources/icon/100.png): an access point box with an antenna
# sending radio waves. Drawn on a 256x256 canvas and scaled to the size asked
# for (64 for the resource, four times smaller, so the edges come out smooth);
# shapes and strokes are thick enough to survive 16x16. The build draws the
# desktop's icon sizes with it too.
# Needs ImageMagick 6 (convert). Usage: draw_icon.sh [output.png [size]]
set -eu

out=${1:-$(dirname "$0")/100.png}
size=${2:-64}

body='#3465a4'   # the box
edge='#204a87'   # its base and the antenna
wave='#f57900'   # radio waves
led='#8ae234'    # status lights

# Coordinates are on a 256x256 canvas (the 64x64 grid times 4). The waves are
# rings of radius 46 and 86 around the antenna tip at 128,104, cut to a
# 90-degree wedge pointing up.
convert -size 256x256 xc:none \
    \( -size 256x256 xc:none -fill none -stroke "$wave" -strokewidth 24 \
       -draw 'circle 128,104 174,104' -draw 'circle 128,104 214,104' \
       \( -size 256x256 xc:none -fill white -draw 'polygon 128,104 -22,-46 278,-46' \) \
       -compose DstIn -composite \) \
    -compose Over -composite -stroke none \
    -fill "$edge" \
    -draw 'rectangle 116,104 140,170' \
    -draw 'circle 128,104 128,84' \
    -fill "$body" -draw 'roundrectangle 8,156 248,244 28,28' \
    -fill "$edge" -draw 'roundrectangle 8,216 248,244 14,14' \
    -fill "$body" -draw 'rectangle 8,204 248,222' \
    -fill "$led" \
    -draw 'circle 56,186 56,170' \
    -draw 'circle 108,186 108,170' \
    -filter Lanczos -resize "${size}x${size}" \
    -depth 8 -define png:color-type=6 -strip "$out"
