#!/usr/bin/env bash
# Renders the real q42-panel window under Xvfb, wired to the simulated unit after Start and Search,
# and saves it as docs/screenshot.png (or the file given).
#   scripts/screenshot.sh [OUT]
#   scripts/screenshot.sh --windows FOLDER [OUT]   q42-panel.exe of FOLDER (an unpacked zip) under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
exe_dir=
if [ "${1:-}" = "--windows" ]; then
  exe_dir=$(cd "${2:?--windows needs the folder of q42-panel.exe}" && pwd)
  shift 2
fi
out=${1:-docs/screenshot.png}
bin=${Q42_HOST_BIN:-$PWD/build/bin}
[ -x "$bin/q42-unit-sim" ] && [ -x "$bin/q42-screen-grab" ] || { echo "build first: cmake --preset default && cmake --build build" >&2; exit 1; }
. scripts/lib/x11.sh
trap x11_cleanup EXIT

x11_start_display
x11_start_unit "$bin"
if [ -n "$exe_dir" ]; then
  . scripts/lib/wine.sh
  WINE_PREFIX_DIR=$X11_WORK/prefix wine_env
  wine_map_com 1 "$Q42_COM1"
  QT_QPA_PLATFORM=windows wine "$exe_dir/q42-panel.exe" 2>/dev/null &
else
  QT_QPA_PLATFORM=xcb "$bin/q42-panel" 2>/dev/null &
fi
X11_PIDS+=($!)
win=$(x11_window '^VARNEK-Q42$') || { echo "the window did not appear" >&2; exit 1; }
sleep 1
read -r h < <(xwininfo -id "$win" | awk '/^  Height/{print $2}')
X11_BASE_Y=$(((h * 8 + 138) / 277))   # 12 here; Wine's GDI reads the dialog font a pixel taller
x11_origin "$win"
x11_click_du 115 7 50 14    # Start
x11_click_du 77 241 40 14   # Search
if box=$(x11_box_of "$win"); then
  xdotool windowfocus --sync "$box" key Return   # close "Search Success!"
fi
for _ in $(seq 60); do
  [ "$(xdotool search --onlyvisible --name '^VARNEK-Q42$' | wc -l)" -le 1 ] && break
  sleep 0.05
done
sleep 0.3
xdotool mousemove 0 0
"$bin/q42-screen-grab" "$out" "$win"
echo "wrote $out"
