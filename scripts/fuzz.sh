#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, in build-fuzz) and runs each one listed in fuzz/targets.txt, one
# at a time, for its CI time or for --seconds N each; a CI time of 0 keeps a target out of the run unless
# it is named. A target starts from its own writer-made seeds, the files of its extension in the sample
# data folder (--data) and its saved inputs (tests/data/fuzz/<name>); the corpus it grows is kept in
# build-fuzz/fuzz-work/<name> for the next run. A crash stops the run with the input saved beside that
# corpus. Ends with one line per target: executions per second and edges covered.
#   scripts/fuzz.sh [--seconds N] [--data DIR] [--jobs N] [--no-build] [NAME...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fuzz="$root/build-fuzz"
seconds="" data="" jobs=3 build=1 only=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) only+=("$1"); shift ;;
  esac
done

if [ "$build" = 1 ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON \
    -DKORVANE_TESTS=OFF -DKORVANE_BENCH=OFF >/dev/null
  cmake --build "$fuzz" -j "$jobs" --target fuzz_all
fi

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# A small quarantine: freed quarter-gigabyte sound bodies held there would count against the RSS limit.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1:quarantine_size_mb=64
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1
summary=()
while read -r name ext secs maxlen rss malloc timeout; do
  case "$name" in '' | '#'*) continue ;; esac
  if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $name "* ]]; then continue; fi
  # A CI time of 0 holds a target out of the CI run; named or given --seconds it runs (30 s by default).
  if [ "$secs" = 0 ]; then
    if [ ${#only[@]} -eq 0 ] && [ -z "$seconds" ]; then
      summary+=("$(printf '%-10s held out of this run' "$name")")
      continue
    fi
    secs=30
  fi
  bin="$fuzz/fuzz/fuzz_$name"
  work="$fuzz/fuzz-work/$name"
  mkdir -p "$work/corpus" "$work/seeds"
  # -runs=0: a target built without the seed writer must not start fuzzing here.
  KORVANE_FUZZ_SEEDS="$work/seeds" "$bin" -runs=0 >/dev/null 2>&1
  if [ -z "$(ls -A "$work/seeds")" ]; then
    echo "fuzz_$name wrote no seeds" >&2
    exit 1
  fi
  if [ -n "$data" ] && [ "$ext" != - ]; then
    find "$data" -type f -iname "*.$ext" -size -"$maxlen"c -exec cp {} "$work/seeds/" \;
  fi
  dirs=("$work/corpus" "$work/seeds")
  [ -d "$root/tests/data/fuzz/$name" ] && dirs+=("$root/tests/data/fuzz/$name")
  args=(-max_total_time="${seconds:-$secs}" -max_len="$maxlen" -rss_limit_mb="$rss" -malloc_limit_mb="$malloc"
        -timeout="$timeout"
        -print_final_stats=1 -artifact_prefix="$work/")
  [ -f "$root/fuzz/dict/$name.dict" ] && args+=(-dict="$root/fuzz/dict/$name.dict")
  echo "== fuzz_$name for ${seconds:-$secs} s"
  set +e
  "$bin" "${args[@]}" "${dirs[@]}" 2>&1 | tee "$work/last.log" | grep --line-buffered -v -e '^#[0-9]' -e 'NEW_FUNC'
  status=${PIPESTATUS[0]}
  set -e
  if [ "$status" != 0 ]; then
    echo "fuzz_$name failed (exit $status); the input is in $work/" >&2
    exit 1
  fi
  cov=$(grep -o 'cov: [0-9]*' "$work/last.log" | tail -1 | cut -d' ' -f2)
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$work/last.log" | grep -o '[0-9]*$')
  summary+=("$(printf '%-10s %8s exec/s %6s edges' "$name" "${rate:-?}" "${cov:-?}")")
done < "$root/fuzz/targets.txt"
printf '%s\n' "${summary[@]}"
