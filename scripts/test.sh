#!/usr/bin/env bash
# Installs what is missing, builds everything under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless; also short fuzzing runs of the LZ expanders and the script engine, and
# the sound tests under ThreadSanitizer. The main test run comes last, so its summary closes the output.
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

# A short fuzzing run of the LZ expanders (clang's libFuzzer), in its own build.
fuzz="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON \
  -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF
cmake --build "$fuzz" -j "$jobs" --target fuzz_lz_expand
corpus="$fuzz/lz-corpus"
mkdir -p "$corpus"
for f in "$root/shell/lz.cpp" "$root/README.md"; do
  "$build/tools/lzpack" pack "$f" "$corpus/seed-$(basename "$f")" >/dev/null
done
"$fuzz/fuzz/fuzz_lz_expand" -max_total_time=20 -max_len=65536 -print_final_stats=1 "$corpus"

# The script engine: bytes run as a script (seeded with scripts the assembler writes) and bytes given to
# the state block restore (seeded with a one-entry block).
cmake --build "$fuzz" -j "$jobs" --target fuzz_script_run fuzz_script_load
script_corpus="$fuzz/script-corpus"
mkdir -p "$script_corpus"
for f in "$root"/fuzz/script_seeds/*.txt; do
  "$build/tools/scrasm" "$f" "$script_corpus/$(basename "$f" .txt).scr"
done
"$fuzz/fuzz/fuzz_script_run" -max_total_time=20 -max_len=4096 -print_final_stats=1 "$script_corpus"
block_corpus="$fuzz/script-block-corpus"
mkdir -p "$block_corpus"
head -c 14456 /dev/zero > "$block_corpus/one-entry.dat"
printf '\x01' | dd of="$block_corpus/one-entry.dat" conv=notrunc status=none
printf '\x01' | dd of="$block_corpus/one-entry.dat" bs=1 seek=1028 conv=notrunc status=none
printf 'a.scr' | dd of="$block_corpus/one-entry.dat" bs=1 seek=1032 conv=notrunc status=none
"$fuzz/fuzz/fuzz_script_load" -max_total_time=20 -max_len=16384 -print_final_stats=1 "$block_corpus"

# The sound tests again under ThreadSanitizer: the music stream's refill thread against the main thread
# and the mixer.
tsan="$root/build-tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_TSAN=ON -DKORVANE_BENCH=OFF
cmake --build "$tsan" -j "$jobs" --target test_sound
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$tsan" -R '^sound\.' --output-on-failure -j "$jobs" --timeout 600

# The editors' dialog windows need a display: their one test with real windows runs under Xvfb and
# leaves a picture of each dialog in build-test/screenshots.
shots="$build/screenshots"
mkdir -p "$shots"
xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 KORVANE_DIALOG_DISPLAY=1 \
  KORVANE_SCREENSHOT_DIR="$shots" LSAN_OPTIONS=suppressions="$root/scripts/lsan-display.supp" \
  "$build/tests/test_editors" --gtest_filter='EditorDisplay*.*'
(cd "$build/tests" && xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 KORVANE_DIALOG_DISPLAY=1 \
  LSAN_OPTIONS=suppressions="$root/scripts/lsan-display.supp" ./test_e2e --gtest_filter='EditorsOnTheGame.*')

ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
