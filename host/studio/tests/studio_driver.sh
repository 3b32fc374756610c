# What the scripts that drive the studio under Xvfb share: a scratch folder removed at
# the end with the studio still running, failing with the studio's output, and waiting
# for a line of it. Sourced; the studio's output goes to "$work/log", its pid to $studio.
work=$(mktemp -d)
studio=
trap '[ -n "$studio" ] && kill "$studio" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/log"; exit 1; }
await() {  # the studio's output holding a line $2 times (once by default)
  for _ in $(seq 150); do [ "$(grep -c "$1" "$work/log")" -ge "${2:-1}" ] && return; sleep 0.1; done
  fail "the studio never printed '$1'"
}
