#!/usr/bin/env bash
# Installs what is missing, builds everything under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless; also a short fuzzing run of every file loader and of the script engine, and
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

# Every loader's fuzz target for a few seconds (clang's libFuzzer, in its own build), seeded by the
# project's writers and the sample data just built; limits and times are in fuzz/targets.txt.
"$root/scripts/fuzz.sh" --jobs "$jobs" --data "$build/data"

# The script engine (built above with the loaders' targets): bytes run as a script (seeded with scripts
# the assembler writes) and bytes given to the state block restore (seeded with a one-entry block).
fuzz="$root/build-fuzz"
script_corpus="$fuzz/script-corpus"
mkdir -p "$script_corpus"
for f in "$root"/fuzz/script_seeds/*.txt; do
  "$build/tools/scrasm" "$f" "$script_corpus/$(basename "$f" .txt).scr"
done
"$fuzz/fuzz/fuzz_script_run" -max_total_time=20 -max_len=4096 -rss_limit_mb=1024 -malloc_limit_mb=512 -print_final_stats=1 "$script_corpus"
block_corpus="$fuzz/script-block-corpus"
mkdir -p "$block_corpus"
head -c 14456 /dev/zero > "$block_corpus/one-entry.dat"
printf '\x01' | dd of="$block_corpus/one-entry.dat" conv=notrunc status=none
printf '\x01' | dd of="$block_corpus/one-entry.dat" bs=1 seek=1028 conv=notrunc status=none
printf 'a.scr' | dd of="$block_corpus/one-entry.dat" bs=1 seek=1032 conv=notrunc status=none
"$fuzz/fuzz/fuzz_script_load" -max_total_time=20 -max_len=16384 -rss_limit_mb=1024 -malloc_limit_mb=512 -print_final_stats=1 "$block_corpus"

# The sound tests again under ThreadSanitizer: the music stream's refill thread against the main thread
# and the mixer.
tsan="$root/build-tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_TSAN=ON -DKORVANE_BENCH=OFF
cmake --build "$tsan" -j "$jobs" --target test_sound
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$tsan" -R '^sound\.' --output-on-failure -j "$jobs" --timeout 600

# The runs under Xvfb: the system libraries that real windows load keep some memory for the process
# (named in lsan-display.supp). And the sanitizer runtime's reading of dynamic thread-local storage
# is off: GCC 12's takes a block that glibc 2.25 and later allocates with malloc (libLLVM's, which
# the software renderer brings in) for one of glibc 2.19 whenever it starts 16 bytes into a page, reads
# the allocator's header in front of it as the block's bounds, and the leak check at exit crashes
# scanning them ("Tracer caught signal 11", about one run in 200). The blocks stay heap blocks, reached
# through glibc's thread vector and scanned as such.
display_lsan="suppressions=$root/scripts/lsan-display.supp:intercept_tls_get_addr=0"

# The editors' dialog windows need a display: their one test with real windows runs under Xvfb and
# leaves a picture of each dialog in build-test/screenshots.
shots="$build/screenshots"
mkdir -p "$shots"
xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 KORVANE_DIALOG_DISPLAY=1 \
  KORVANE_SCREENSHOT_DIR="$shots" LSAN_OPTIONS="$display_lsan" \
  "$build/tests/test_editors" --gtest_filter='EditorDisplay*.*'
# The mouse after another window has had the input needs real X focus changes too.
xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 KORVANE_DIALOG_DISPLAY=1 \
  LSAN_OPTIONS="$display_lsan" \
  "$build/tests/test_platform" --gtest_filter='SdlInputOnDisplay.*'
(cd "$build/tests" && xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 KORVANE_DIALOG_DISPLAY=1 \
  LSAN_OPTIONS="$display_lsan" ./test_e2e --gtest_filter='EditorsOnTheGame.*')
# The display on an X server that no window manager runs, and on one that goes away (each case starts
# an Xvfb of its own and kills it).
xvfb-run -a -s "-screen 0 1280x1024x24" env SDL_VIDEODRIVER=x11 \
  LSAN_OPTIONS="$display_lsan" "$build/tests/test_platform" --gtest_filter='DisplayOnX.*'

ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
