#!/usr/bin/env bash
# Installs what is missing, builds the game and its sample data (build/data) and starts it there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=OFF -DKORVANE_TSAN=OFF \
  -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF
cmake --build "$build" -j "$(nproc)"
cd "$build/data"
exec "$build/korvane"
