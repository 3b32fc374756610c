#!/usr/bin/env bash
# The studio in a real X server, driven by xdotool as a person drives it: an effect and a
# preset by keys, a colour picked from the preview with the eyedropper, a save. The saved
# command must render the saved picture again, byte for byte. Run under xvfb-run with
# the brushwerk program as the argument.
set -euo pipefail
brushwerk=$1
work=$(mktemp -d)
studio=
trap '[ -n "$studio" ] && kill "$studio" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/log"; exit 1; }
await() {  # a line of the studio's output
  for _ in $(seq 150); do grep -q "$1" "$work/log" && return; sleep 0.1; done
  fail "the studio never printed '$1'"
}

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
  xdotool mousemove $cx $cy mousedown 1 mousemove $((cx + 8)) $((cy - 20)) mousemove $((cx + 16)) $((cy - 40)) mouseup 1
  sleep 0.3
fi

# The eyedropper shows the picture itself while it picks: the colour under the pointer
# is the test card's.
xdotool key e
sleep 0.5
xdotool mousemove $((X + 200)) $((Y + 250)) click 1
await "studio: picked"
picked=$(sed -n 's/.*picked #\([0-9a-f]*\).*/\1/p' "$work/log")

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

# Dream Glow's record starts with its colour, red byte first.
[ "$(od -An -tx1 -N3 "$work/saved-1.state" | tr -d ' \n')" = "$picked" ] || fail "state lacks the picked #$picked"
if [ -n "$knob" ]; then
  "$brushwerk" render dreamglow --preset 1 --save-state "$work/preset.state" >/dev/null
  [ "$(od -An -tx1 -j4 -N4 "$work/saved-1.state")" != "$(od -An -tx1 -j4 -N4 "$work/preset.state")" ] ||
    fail "the knob's drag did not reach the record"
fi
cp "$work/saved-1.png" "$work/studio.png"
sh -c "$(cat "$work/saved-1.txt")"
cmp "$work/studio.png" "$work/saved-1.png" || fail "the saved command renders another picture"
echo "studio: picked #$picked, saved picture reproduced by: $(cat "$work/saved-1.txt")"
