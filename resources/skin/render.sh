#!/bin/sh
# Renders the skin art from its SVG sources into the 32-bit BMP files the module embeds
# (committed beside them, so building needs neither this script nor its tools).
# Needs rsvg-convert (Debian: librsvg2-bin) and python3.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$here/knob_strip.py" > "$work/knob_strip.svg"
render() {  # SVG, BMP, [hot spot]
    rsvg-convert "$1" -o "$work/out.png"
    python3 "$here/png_to_bmp.py" ${3:+--hotspot "$3"} "$work/out.png" "$here/$2"
    echo "wrote $2"
}
render "$work/knob_strip.svg" knob_strip.bmp
render "$here/help_button.svg" help_button.bmp
render "$here/info_button.svg" info_button.bmp
render "$here/swatch_frame.svg" swatch_frame.bmp
render "$here/dropper_button.svg" dropper_button.bmp
render "$here/logo_button.svg" logo_button.bmp
render "$here/eyedropper_cursor.svg" eyedropper_cursor.bmp 1,30
