#!/usr/bin/env bash
# Developer aid: runs the tutorial scene executable (tests/demo/tutorial_run.cpp) under a virtual X
# server, so the scenes show on its screen, writes its back-buffer pictures into the folder given
# (default tutorial_pictures/) and a screenshot of the X screen taken during the windows scene. Needs
# xvfb, x11-apps and imagemagick; build the tests first (build-test/ by default, or the build folder
# given second).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-tutorial_pictures}")
build=$(realpath -m "${2:-$root/build-test}")
display=:$((RANDOM % 400 + 300))
mkdir -p "$out"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
cd "$build/data"
DISPLAY=$display SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$out/config" \
  LSAN_OPTIONS=suppressions="$root/scripts/lsan-display.supp" "$build/tests/tutorial_run" "$out" &
run=$!
sleep "${3:-2}"
DISPLAY=$display xwd -root -silent | convert xwd:- "$out/screen.png" || true
status=0
wait $run || status=$?
for f in "$out"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
echo "pictures: $out (tutorial_run exit $status)"
exit $status
