#!/usr/bin/env bash
# Draws the window icon and the picture the welcome window shows for Farsi, with
# ImageMagick, into src/app/resources/art/. The results are committed; run this only to
# change them.
set -euo pipefail

art="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src/app/resources/art"
mkdir -p "$art"

# The icon: a USB stick on a blue tile, with a green tick for the files made visible.
convert -size 256x256 xc:none \
    -fill '#1f5fbf' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#3d7fe0' -draw 'roundrectangle 8,8 247,128 44,44' \
    -fill '#1f5fbf' -draw 'rectangle 8,96 247,128' \
    -fill '#d9dee6' -draw 'roundrectangle 96,28 160,84 6,6' \
    -fill '#1f5fbf' -draw 'rectangle 108,44 122,58' -draw 'rectangle 134,44 148,58' \
    -fill '#ffffff' -draw 'roundrectangle 78,80 178,216 18,18' \
    -fill '#2fae4e' -draw 'circle 168,188 168,232' \
    -stroke '#ffffff' -strokewidth 14 -fill none \
    -draw 'polyline 146,190 162,206 192,172' \
    "$art/icon.png"

# The same icon for the Windows executable, in the sizes Explorer and the title bar ask for;
# the largest is kept as PNG inside the icon file, as Windows does from Vista on.
convert "$art/icon.png" -depth 8 -define icon:auto-resize=256,48,32,24,16 "$art/icon.ico"

# The Farsi picture, 469 x 156: a stick whose hidden files come back into view.
convert -size 469x156 gradient:'#eaf2ff'-'#c9dcf7' \
    -fill '#1f5fbf' -draw 'roundrectangle 24,40 150,116 14,14' \
    -fill '#d9dee6' -draw 'roundrectangle 150,56 186,100 4,4' \
    -fill '#1f5fbf' -draw 'rectangle 160,66 170,74' -draw 'rectangle 160,82 170,90' \
    -fill '#ffffff' -draw 'roundrectangle 40,56 118,100 8,8' \
    -fill '#2fae4e' -draw 'circle 79,78 79,94' \
    -stroke '#ffffff' -strokewidth 4 -fill none -draw 'polyline 71,78 77,85 88,72' \
    -stroke '#7a9cc9' -strokewidth 6 -draw 'line 206,78 262,78' \
    -stroke none -fill '#7a9cc9' -draw 'polygon 262,64 286,78 262,92' \
    -fill '#f2b632' -draw 'roundrectangle 304,36 354,74 4,4' -draw 'roundrectangle 304,30 324,40 3,3' \
    -fill '#f2b632' -draw 'roundrectangle 372,36 422,74 4,4' -draw 'roundrectangle 372,30 392,40 3,3' \
    -fill '#ffffff' -draw 'roundrectangle 310,88 346,128 3,3' -draw 'roundrectangle 378,88 414,128 3,3' \
    -fill '#9fb3cc' -draw 'rectangle 316,98 340,101' -draw 'rectangle 316,106 340,109' \
    -draw 'rectangle 316,114 334,117' -draw 'rectangle 384,98 408,101' \
    -draw 'rectangle 384,106 408,109' -draw 'rectangle 384,114 402,117' \
    -fill '#1f5fbf' -font DejaVu-Sans-Bold -pointsize 15 -draw "text 330,150 'Vantrelle'" \
    -colors 64 "$art/farsi.gif"

identify "$art/icon.png" "$art/icon.ico" "$art/farsi.gif"
