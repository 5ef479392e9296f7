#!/usr/bin/env bash
# Developer aid: runs the survival demonstration on the sample data under a virtual X server (Xvfb)
# and writes four pictures of the screen: <prefix>_banner.bmp (the first wave's banner over the
# stage), <prefix>_fight.bmp (the fight with its HUD), <prefix>_levelup.bmp (the weapon level-up
# screen after its bars filled) and <prefix>_portrait.bmp, each with the debug overlay. Uses the test build (build-test, or $BUILD) and the package xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build-test}
prefix=$(realpath -m "${1:-survival_demo}")
mkdir -p "$(dirname "$prefix")"
. "$root/scripts/test_build.sh"
cmake --build "$build" --target survival_demo korvane_data -j "$(nproc)"
. "$root/scripts/xvfb.sh"
cd "$build/data"
# The X client libraries keep a few blocks for good: no leak report for them.
KORVANE_DEBUG=1 ASAN_OPTIONS=detect_leaks=0 DISPLAY=":$(cat "$tmp/display")" SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$tmp" "$build/tests/survival_demo" "$prefix"
