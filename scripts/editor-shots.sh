#!/usr/bin/env bash
# Pictures of the CPU-data and technique editors' dialogs under a virtual X server (Xvfb): runs the
# editors' picture test and writes one PNG per dialog into the folder given (default editor-shots).
# Needs a build (build-test) and the packages xvfb and imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-editor-shots}")
mkdir -p "$out"
display=:78
Xvfb $display -screen 0 1600x1200x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
# The toolkit's font library keeps its caches to the end: no leak report for this run.
ASAN_OPTIONS=detect_leaks=0 DISPLAY=$display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy KORVANE_EDITOR_SHOTS="$out" \
  "$root/build-test/tests/test_editors" --gtest_filter='EditorShots.*'
# PPM to PNG with nothing beyond Python's zlib.
python3 - "$out"/*.ppm <<'PY'
import struct, sys, zlib
for path in sys.argv[1:]:
    data = open(path, 'rb').read()
    parts = data.split(b'\n', 3)
    w, h = map(int, parts[1].split())
    pixels = parts[3]
    rows = b''.join(b'\0' + pixels[y * w * 3:(y + 1) * w * 3] for y in range(h))
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b'')
    open(path[:-4] + '.png', 'wb').write(png)
PY
rm -f "$out"/*.ppm
ls "$out"
