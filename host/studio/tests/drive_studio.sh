#!/usr/bin/env bash
# The studio in a real X server, driven by xdotool as a person drives it: an effect and a
# preset by keys, a colour picked from the preview with the eyedropper, a save. The saved
# command must render the saved picture again, byte for byte. Run under xvfb-run with
# the brushwerk program as the argument.
set -euo pipefail
brushwerk=$1
source "$(dirname "$0")/studio_driver.sh"

"$brushwerk" demo "$work/demo" >/dev/null
"$brushwerk" studio "$work/demo/testcard.png" --save-to "$work/saved" >"$work/log" 2>&1 &
studio=$!
await "studio: showing"
wid=$(xdotool search --sync --name "Brushwerk Studio" | head -1)
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove $((X + 300)) $((Y + 200))
xdotool key 3 Right  # Dream Glow, its second preset

# The page's Blur knob, dragged up and to the right from its centre: Apply reaches the
# effect, and the saved record holds another blur than the preset's.
knob=$(sed -n 's/^studio: page knob blur at \([0-9]*\),\([0-9]*\) size \([0-9]*\)x\([0-9]*\)$/\1 \2 \3 \4/p' "$work/log" | tail -1)
if [ -n "$knob" ]; then
  read -r kx ky kw kh <<<"$knob"
  cx=$((kx + kw / 2)) cy=$((ky + kh / 2))
  # Paced as a hand moves: the knob takes the pointer at the press before the moves come.
  xdotool mousemove $cx $cy mousedown 1
  for step in 1 2 3 4; do sleep 0.1; xdotool mousemove $((cx + 4 * step)) $((cy - 10 * step)); done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.3
fi

# The page's eyedropper (click it, then click the colour; while it samples the effect shows
# its input), else the studio's own (E, with the picture itself shown while it picks): the
# colour under the pointer is the test card's red ramp.
dropper=$(sed -n 's/^studio: page dropper color at \([0-9]*\),\([0-9]*\) size \([0-9]*\)x\([0-9]*\)$/\1 \2 \3 \4/p' "$work/log" | tail -1)
if [ -n "$dropper" ]; then
  read -r dx dy dw dh <<<"$dropper"
  xdotool mousemove $((dx + dw / 2)) $((dy + dh / 2))
  sleep 0.3
  xdotool mousedown 1
  sleep 0.2
  xdotool mouseup 1
else
  xdotool key e
fi
sleep 0.5
xdotool mousemove $((X + 200)) $((Y + 250))
sleep 0.5
xdotool click 1
sleep 0.3

xdotool key s
await "studio: saved"
if [ -n "${STUDIO_SCREENSHOT:-}" ]; then  # the window as the X server shows it, for the README
  sleep 0.5
  xwd -root -silent -out "$work/screen.xwd"
  ffmpeg -v error -y -i "$work/screen.xwd" -vf "crop=$WIDTH:$HEIGHT:$X:$Y" -pix_fmt rgb24 "$STUDIO_SCREENSHOT"
fi
xdotool key q
for _ in $(seq 100); do kill -0 "$studio" 2>/dev/null || break; sleep 0.1; done
kill -0 "$studio" 2>/dev/null && fail "the studio did not quit on Q"
wait "$studio"
studio=

# Dream Glow's record starts with its colour, red byte first: the ramp's red.
picked=$(od -An -tx1 -N3 "$work/saved-1.state" | tr -d ' \n')
[[ "$picked" =~ ^[89a-f][0-9a-f]0000$ ]] || fail "the eyedropper picked #$picked, not the red ramp"
if [ -n "$knob" ]; then
  "$brushwerk" render dreamglow --preset 1 --save-state "$work/preset.state" >/dev/null
  [ "$(od -An -tx1 -j4 -N4 "$work/saved-1.state")" != "$(od -An -tx1 -j4 -N4 "$work/preset.state")" ] ||
    fail "the knob's drag did not reach the record"
fi
cp "$work/saved-1.png" "$work/studio.png"
sh -c "$(cat "$work/saved-1.txt")"
cmp "$work/studio.png" "$work/saved-1.png" || fail "the saved command renders another picture"
echo "studio: picked #$picked, saved picture reproduced by: $(cat "$work/saved-1.txt")"
