#!/usr/bin/env bash
# Developer aid: runs the panels' demonstration on the sample data under a virtual X server (Xvfb)
# and writes two pictures of the screen: <prefix>_help.bmp (the file panel typing an entry's help)
# and <prefix>_yesno.bmp (the save list with the yes/no panel). Uses the test build (build-test, or
# $BUILD) and the package xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build-test}
prefix=$(realpath -m "${1:-panel_demo}")
mkdir -p "$(dirname "$prefix")"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target panel_demo korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cd "$build/data"
# The X client libraries keep a few blocks for good: no leak report for them.
ASAN_OPTIONS=detect_leaks=0 DISPLAY=":$(cat "$tmp/display")" SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" "$build/tests/panel_demo" "$prefix"
