#!/usr/bin/env bash
# The studio on a short video in a real X server: the frame slider, dragged from the
# first frame to past its end, shows the last frame, and a save then keeps that frame as
# its source. Run under xvfb-run with the brushwerk program as the argument.
set -euo pipefail
brushwerk=$1
source "$(dirname "$0")/studio_driver.sh"
same_pixels() {  # two pictures, compared sample by sample
  ffmpeg -nostdin -v error -i "$1" -f rawvideo -pix_fmt rgb24 -y "$work/a.rgb"
  ffmpeg -nostdin -v error -i "$2" -f rawvideo -pix_fmt rgb24 -y "$work/b.rgb"
  cmp -s "$work/a.rgb" "$work/b.rgb"
}

# Eight frames of a moving test pattern, no two alike.
ffmpeg -nostdin -v error -f lavfi -i "testsrc=size=160x120:rate=8" -frames:v 8 -c:v ffv1 "$work/clip.mkv"
ffmpeg -nostdin -v error -i "$work/clip.mkv" -vf "select=eq(n\,7)" -frames:v 1 "$work/last.png"

"$brushwerk" studio "$work/clip.mkv" --save-to "$work/saved" >"$work/log" 2>&1 &
studio=$!
await "studio: frame slider"
read -r sx sy sw sh frames <<<"$(sed -n 's/^studio: frame slider at \([0-9-]*\),\([0-9-]*\) size \([0-9]*\)x\([0-9]*\) for \([0-9]*\) frames$/\1 \2 \3 \4 \5/p' "$work/log")"
[ "$frames" = 8 ] || fail "the studio counted '$frames' frames, not 8"
wid=$(xdotool search --sync --name "Brushwerk Studio" | head -1)
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key s
await "studio: saved" 1

# Pressed at the slider's start, moved along it as a hand moves, let go beyond its end.
y=$((sy + sh / 2))
xdotool mousemove $((sx + 1)) $y mousedown 1
for step in 1 2 3 4; do sleep 0.1; xdotool mousemove $((sx + sw * step / 4)) $y; done
xdotool mousemove $((sx + sw + 30)) $y
sleep 0.2
xdotool mouseup 1
sleep 0.5
xdotool key s
await "studio: saved" 2
xdotool key q
for _ in $(seq 100); do kill -0 "$studio" 2>/dev/null || break; sleep 0.1; done
wait "$studio" || fail "the studio did not end cleanly"
studio=

[ -f "$work/saved-2-source.png" ] || fail "the second save kept no source frame"
same_pixels "$work/saved-2-source.png" "$work/last.png" || fail "the dragged slider did not show the last frame"
same_pixels "$work/saved-1-source.png" "$work/last.png" && fail "the first save already showed the last frame"
echo "studio: the frame slider reached frame $frames"
