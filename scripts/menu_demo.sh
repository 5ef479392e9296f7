#!/usr/bin/env bash
# Developer aid: runs the battle menus' demonstration on the sample data under a virtual X server
# (Xvfb) with the debug flag on, and writes four pictures of the screen: <prefix>_main.bmp (the
# pause menu over the tinted fight), <prefix>_equip.bmp (the equipment grid with the category
# picker), <prefix>_mech.bmp (the mech cards) and <prefix>_waza.bmp (the player's technique list).
# Uses the test build (build-test, or $BUILD) and the package xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build-test}
prefix=$(realpath -m "${1:-menu_demo}")
mkdir -p "$(dirname "$prefix")"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target menu_demo korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cd "$build/data"
# The X client libraries keep a few blocks for good: no leak report for them.
KORVANE_DEBUG=1 ASAN_OPTIONS=detect_leaks=0 DISPLAY=":$(cat "$tmp/display")" SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" "$build/tests/menu_demo" "$prefix"
