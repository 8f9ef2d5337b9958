#!/usr/bin/env bash
# Renders the real q42-panel window under Xvfb, wired to the simulated unit after Start and Search,
# and saves it as docs/screenshot.png (or the file given).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
bin=$PWD/build/bin
[ -x "$bin/q42-panel" ] && [ -x "$bin/q42-screen-grab" ] || { echo "build first: cmake --preset default && cmake --build build" >&2; exit 1; }
. scripts/lib/x11.sh
trap x11_cleanup EXIT

x11_start_display
x11_start_unit "$bin"
QT_QPA_PLATFORM=xcb "$bin/q42-panel" 2>/dev/null &
X11_PIDS+=($!)
win=$(x11_window '^VARNEK-Q42$') || { echo "the window did not appear" >&2; exit 1; }
x11_origin "$win"
x11_click_du 115 7 50 14    # Start
x11_click_du 77 241 40 14   # Search
sleep 0.6
box=$(xdotool search --onlyvisible --name '^VARNEK-Q42$' | grep -vx "$win" | head -n1 || true)
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return   # close "Search Success!"
sleep 0.3
xdotool mousemove 0 0
"$bin/q42-screen-grab" "$out" "$win"
echo "wrote $out"
