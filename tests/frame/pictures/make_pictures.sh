#!/bin/sh
# Regenerates the test pictures (committed; the build uses the files).
# Plain shapes of known colours, so tests can sample exact pixels.
set -eu
cd "$(dirname "$0")"
# 256 x 256 in four quadrants: red, green / blue, white.
convert -size 128x128 xc:'#ff0000' xc:'#00ff00' +append \( -size 128x128 xc:'#0000ff' xc:'#ffffff' +append \) -append \
  -define png:color-type=6 PNG32:quadrants.png
# 32 x 32 orange, its left half half transparent.
convert -size 32x32 xc:'#fac865' \( -size 16x32 xc:'rgba(250,200,101,0.5)' \) -geometry +0+0 -compose copy -composite \
  PNG32:mark.png
# A button picture: a pill on transparent ground, outside and under the mouse.
for state in out:'#3060d0' in:'#e0b020'; do
  name=${state%%:*}; colour=${state#*:}
  convert -size 100x30 xc:none -fill "$colour" -draw 'roundrectangle 0,0 99,29 14,14' PNG32:button_$name.png
done
convert -size 32x32 xc:'#c040a0' -quality 95 photo.jpg
convert -size 32x32 xc:'#00c0c0' -type TrueColor BMP3:solid.bmp
convert -size 32x32 xc:'#f0e000' -define icon:auto-resize=32 PNG32:- | convert - -compress None icon.ico
convert -delay 10 -size 32x32 xc:'#ff0000' -delay 10 -size 32x32 xc:'#0000ff' -loop 0 animation.gif
