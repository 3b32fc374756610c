#!/usr/bin/env bash
# Takes the README's pictures of the seven property pages, each shown by quillet_pageshot
# in a real X server (Xvfb), into this folder:
#   docs/pages/take-screenshots.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
registry=$(mktemp -d)
trap 'rm -rf "$registry"' EXIT
unset QUILLET_DISPLAY
for effect in airbrush colorize dreamglow duochrome linedrawing metallic pastelsketch; do
  QUILLET_REGISTRY="$registry/registry.reg" xvfb-run -a -s "-screen 0 640x480x24" \
    "$build/host/pageshot/quillet_pageshot" "$build/libquillet_brushwerk.so" "$effect" "$here/$effect.png"
done
