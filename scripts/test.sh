#!/usr/bin/env bash
# Installs what is missing, builds everything under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless; also a short fuzzing run of every file loader and the sound tests under
# ThreadSanitizer. The main test run comes last, so its summary closes the output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_SANITIZE=ON -DKORVANE_BENCH=ON
cmake --build "$build" -j "$jobs"

# Every loader's fuzz target for a few seconds (clang's libFuzzer, in its own build), seeded by the
# project's writers and the sample data just built; limits and times are in fuzz/targets.txt.
"$root/scripts/fuzz.sh" --jobs "$jobs" --data "$build/data"

# The sound tests again under ThreadSanitizer: the music stream's refill thread against the main thread
# and the mixer.
tsan="$root/build-tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_TSAN=ON -DKORVANE_BENCH=OFF
cmake --build "$tsan" -j "$jobs" --target test_sound
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$tsan" -R '^sound\.' --output-on-failure -j "$jobs" --timeout 600

ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
