# Sourced by the demonstration scripts once $root and $build are set: installs what is missing and,
# when the test build is not there yet, configures it the way scripts/test.sh does, so each script
# works on a fresh clone; the script then builds only its own targets.
"$root/scripts/install-deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_SANITIZE=ON -DKORVANE_BENCH=ON
fi
