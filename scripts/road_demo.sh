#!/usr/bin/env bash
# Developer aid: plays the end-to-end test's road through every scene under a virtual X server
# (Xvfb) with the real clock, on a copy of the sample data, and writes one picture of each scene and
# battle sub-state it reaches: <prefix>_NN_<scene>.bmp. Uses the test build (build-test, or $BUILD)
# and the package xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build-test}
prefix=$(realpath -m "${1:-shots/road}")
mkdir -p "$(dirname "$prefix")"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target road_demo korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cp -r "$build/data" "$tmp/data"
cd "$tmp/data"
# The X client libraries keep a few blocks for good: no leak report for them.
ASAN_OPTIONS=detect_leaks=0 DISPLAY=":$(cat "$tmp/display")" SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" "$build/tests/road_demo" "$prefix"
