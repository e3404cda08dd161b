#!/usr/bin/env bash
# Runs the demo in a real X11 window on a private Xvfb server and expects a clean exit.
# Xvfb writes its display number to -displayfd only once it accepts clients, so there is no race
# between the server coming up and the demo connecting; -noreset keeps it from cycling while
# the demo connects.
set -euo pipefail
demo=$1
shift
dir=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
exec 3>"$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 &
server=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    kill -0 "$server" 2>/dev/null || { cat "$dir/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n1 "$dir/display") "$demo" "$@"
