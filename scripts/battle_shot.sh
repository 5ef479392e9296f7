#!/usr/bin/env bash
# Developer aid: runs the battle executable (tests/demo/battle_run.cpp) under a virtual X server and
# writes a screenshot taken mid-fight to the file given (default battle.png). Installs x11-apps and
# imagemagick; uses the test build (build-test/ by default, or the build folder given second) and
# builds what it needs there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" x11-apps imagemagick
out=$(realpath -m "${1:-battle.png}")
build=$(realpath -m "${2:-$root/build-test}")
mkdir -p "$(dirname "$out")"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target battle_run korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cd "$build/data"
SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" LSAN_OPTIONS=suppressions="$root/scripts/lsan-display.supp" \
  "$build/tests/battle_run" 600 &
run=$!
sleep "${3:-8}"
xwd -root -silent | convert xwd:- "$out"
wait $run || true
echo "screenshot: $out"
