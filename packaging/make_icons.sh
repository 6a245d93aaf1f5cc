#!/bin/sh
# Renders the application icon's hicolor PNG sizes from its SVG drawing.
# The outputs are committed; run this again only after changing the drawing:
#   sh packaging/make_icons.sh
# Needs rsvg-convert (librsvg2-bin).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/org.brindle.Brindle.svg" -o "$here/icons/$size.png"
done
