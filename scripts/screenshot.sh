#!/usr/bin/env bash
# Developer aid: starts the game under a virtual X server (Xvfb), waits (3 seconds, or the seconds
# given second), and writes a screenshot of the screen to the file given (default screenshot.png).
# Installs x11-apps and imagemagick when missing; uses the play command's build (build/), and
# builds it first the way scripts/play.sh does when it is not there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" x11-apps imagemagick
out=$(realpath -m "${1:-screenshot.png}")
wait_s=${2:-3}
build="$root/build"
if [ ! -x "$build/korvane" ] || [ ! -d "$build/data" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=OFF -DKORVANE_TSAN=OFF \
    -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF
  cmake --build "$build" -j "$(nproc)"
fi
mkdir -p "$(dirname "$out")"
. "$root/scripts/xvfb.sh"
cd "$build/data"
SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" "$build/korvane" &
game=$!
sleep "$wait_s"
xwd -root -silent | convert xwd:- "$out"
kill -TERM $game
wait $game || true
echo "screenshot: $out"
