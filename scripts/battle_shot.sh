#!/usr/bin/env bash
# Developer aid: runs the battle executable (tests/demo/battle_run.cpp) under a virtual X server and
# writes a screenshot taken mid-fight to the file given (default battle.png). Needs xvfb, x11-apps and
# imagemagick; build the tests first (build-test/ by default, or the build folder given second).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-battle.png}")
build=$(realpath -m "${2:-$root/build-test}")
display=":$((RANDOM % 500 + 100))"  # a display of its own beside other servers
Xvfb $display -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
cd "$build/data"
DISPLAY=$display SDL_AUDIODRIVER=dummy LSAN_OPTIONS=suppressions="$root/scripts/lsan-display.supp" \
  "$build/tests/battle_run" 600 &
run=$!
sleep "${3:-8}"
DISPLAY=$display xwd -root -silent | convert xwd:- "$out"
wait $run || true
echo "screenshot: $out"
