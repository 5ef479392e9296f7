#!/usr/bin/env bash
# Developer aid: runs the tutorial scene executable (tests/demo/tutorial_run.cpp) under a virtual X
# server, so the scenes show on its screen, writes its back-buffer pictures into the folder given
# (default tutorial_pictures/) and a screenshot of the X screen (screen.png) while the windows scene's
# page stands. Installs x11-apps and imagemagick when missing; uses the test build (build-test/ by default, or
# the build folder given second) and builds what it needs there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" x11-apps imagemagick
out=$(realpath -m "${1:-tutorial_pictures}")
build=$(realpath -m "${2:-$root/build-test}")
mkdir -p "$out"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target tutorial_run korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cd "$build/data"
SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" LSAN_OPTIONS=suppressions="$root/scripts/lsan-display.supp" \
  "$build/tests/tutorial_run" "$out" > "$tmp/log" &
run=$!
# The run holds the page on the screen for two seconds once it says so.
for _ in $(seq 600); do
  grep -q '^screen: holding' "$tmp/log" && break
  kill -0 $run 2>/dev/null || break
  sleep 0.1
done
if grep -q '^screen: holding' "$tmp/log"; then
  sleep 0.5
  xwd -root -silent | convert xwd:- "$out/screen.png"
else
  echo "tutorial_shot: the windows scene's page never showed; no screenshot" >&2
fi
status=0
wait $run || status=$?
cat "$tmp/log"
for f in "$out"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
echo "pictures: $out (tutorial_run exit $status)"
exit $status
