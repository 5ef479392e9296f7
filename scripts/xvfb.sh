# Sourced by the demonstration scripts: a virtual X server on a display number of its own and a
# temporary folder ($tmp), both gone when the script ends; $DISPLAY names the server.
tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$tmp/display")"
