#!/usr/bin/env bash
# Frames per second of ffmpeg running each of our frei0r plugins on 1920x1080 testsrc2
# frames, beside ffmpeg with no filter (the floor: making and converting the frames)
# and beside Debian's own frei0r filters glow, cartoon, colorize and tint0r (package
# frei0r-plugins; rows for those are skipped when it is not installed).
#
# Usage: host/frei0r/bench/ffmpeg_fps.sh [BUILD_DIR] [FRAMES] [RUNS]
#   BUILD_DIR  the build tree holding frei0r-1/ (default: build)
#   FRAMES     frames per run (default: 60); each run is timed by ffmpeg's -benchmark
#   RUNS       runs per row (default: 3); a row reports the median run, since one run on
#              a shared machine can be a fifth off either way
# Our plugins run with their default processor count, this machine's: frames are cut
# into up to 4 bands rendered in parallel.
set -euo pipefail

build=${1:-build}
frames=${2:-60}
runs=${3:-3}
plugins=$(cd "$build/frei0r-1" && pwd)
size=1920x1080

once() {  # seconds of one run of the filter chain, or nothing when it failed
  FREI0R_PATH=$plugins ffmpeg -nostdin -hide_banner -benchmark -f lavfi -i "testsrc2=size=$size:rate=25" \
    -frames:v "$frames" -vf "$1" -f null - 2>&1 | sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' | tail -1
}

run() {  # label, filter chain
  local label=$1 chain=$2 rtime times=()
  for _ in $(seq "$runs"); do
    rtime=$(once "$chain")
    [ -n "$rtime" ] || break
    times+=("$rtime")
  done
  [ ${#times[@]} -eq "$runs" ] && rtime=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(( (runs + 1) / 2 ))p") || rtime=
  if [ -z "$rtime" ]; then
    printf '%-28s %10s\n' "$label" "failed"
  else
    awk -v l="$label" -v f="$frames" -v t="$rtime" 'BEGIN { printf "%-28s %10.1f fps  (%d frames in %.2f s)\n", l, f / t, f, t }'
  fi
}

echo "ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), $size, $frames frames per run, median of $runs runs, $(nproc) processors"
run "no filter (bgra)" "format=bgra"
for effect in airbrush colorize dreamglow duochrome linedrawing metallic pastelsketch; do
  run "quillet_$effect" "format=bgra,frei0r=filter_name=quillet_$effect"
done
for filter in glow cartoon colorize tint0r; do
  if [ -e "/usr/lib/frei0r-1/$filter.so" ]; then
    run "Debian frei0r $filter" "frei0r=filter_name=$filter"
  else
    printf '%-28s %10s\n' "Debian frei0r $filter" "not installed (apt-get install frei0r-plugins)"
  fi
done
