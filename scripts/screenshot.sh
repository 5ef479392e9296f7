#!/usr/bin/env bash
# Developer aid: starts the game under a virtual X server (Xvfb), waits, and writes a screenshot of
# the screen to the file given (default screenshot.png). Needs the packages xvfb, x11-apps and
# imagemagick; the game must have been built with scripts/play.sh first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-screenshot.png}")
wait_s=${2:-3}
display=:77
Xvfb $display -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
cd "$root/build/data"
DISPLAY=$display SDL_AUDIODRIVER=dummy "$root/build/korvane" &
game=$!
sleep "$wait_s"
DISPLAY=$display xwd -root -silent | /usr/bin/convert xwd:- "$out"
kill -TERM $game
wait $game || true
echo "screenshot: $out"
