#!/usr/bin/env bash
# Renders the real q42-panel window under Xvfb, wired to the simulated unit after Start and Search,
# and saves it as docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
bin=build/bin
[ -x "$bin/q42-panel" ] && [ -x "$bin/q42-screen-grab" ] || { echo "build first: cmake --preset default && cmake --build build" >&2; exit 1; }

export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 640x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sim_out=$(mktemp)
"$bin/q42-unit-sim" >"$sim_out" &
sim=$!
trap 'kill $panel $sim $xvfb 2>/dev/null || true; rm -f "$sim_out"' EXIT
for _ in $(seq 50); do [ -s "$sim_out" ] && xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export Q42_COM1=$(head -n1 "$sim_out")
QT_QPA_PLATFORM=xcb "$bin/q42-panel" &
panel=$!
win=""
for _ in $(seq 100); do win=$(xdotool search --sync --onlyvisible --name '^VARNEK-Q42$' 2>/dev/null | head -n1) && [ -n "$win" ] && break; sleep 0.1; done
[ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }

# Start, then Search, with the mouse; Enter closes "Search Success!".
read -r ox oy < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
click_du() { xdotool mousemove $((ox + ($1 + $3 / 2) * 6 / 4)) $((oy + ($2 + $4 / 2) * 12 / 8)) click 1; sleep 0.3; }
click_du 115 7 50 14    # Start
click_du 77 241 40 14   # Search
sleep 0.6
box=$(xdotool search --onlyvisible --name '^VARNEK-Q42$' | grep -vx "$win" | head -n1)
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
sleep 0.3
xdotool mousemove 0 0
"$bin/q42-screen-grab" ] || { echo "build first: cmake --preset default && cmake --build build" >&2; exit 1; }

export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 640x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sim_out=$(mktemp)
"$bin/q42-unit-sim" >"$sim_out" &
sim=$!
trap 'kill $panel $sim $xvfb 2>/dev/null || true; rm -f "$sim_out"' EXIT
for _ in $(seq 50); do [ -s "$sim_out" ] && xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export Q42_COM1=$(head -n1 "$sim_out")
QT_QPA_PLATFORM=xcb "$bin/q42-panel" &
panel=$!
win=""
for _ in $(seq 100); do win=$(xdotool search --sync --onlyvisible --name '^VARNEK-Q42$' 2>/dev/null | head -n1) && [ -n "$win" ] && break; sleep 0.1; done
[ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }

# Start, then Search, with the keyboard as a technician would.
press() { xdotool search --name '^VARNEK-Q42$' windowactivate --sync >/dev/null 2>&1 || true; xdotool key --delay 50 "$@"; }
geo=$(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
read -r wx wy <<<"$geo"
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; sleep 0.3; }
click 210 21     # Start
click 146 372    # Search
sleep 0.6
press Return     # close "Search Success!"
sleep 0.3
"$bin/q42-screen-grab" "$out" "$win"
echo "wrote $out"
