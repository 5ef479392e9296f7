#!/usr/bin/env bash
# Developer aid: runs the ranking table's demonstration on the sample data under a virtual X server (Xvfb)
# and writes a picture of the screen: <prefix>_ranking.bmp (the table as viewed from the title).
# Uses the test build (build-test, or $BUILD) and the package xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build-test}
prefix=$(realpath -m "${1:-ranking_demo}")
mkdir -p "$(dirname "$prefix")"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target ranking_demo korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cd "$build/data"
# The X client libraries keep a few blocks for good: no leak report for them.
ASAN_OPTIONS=detect_leaks=0 DISPLAY=":$(cat "$tmp/display")" SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" "$build/tests/ranking_demo" "$prefix"
