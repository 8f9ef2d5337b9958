#!/usr/bin/env bash
# The real q42-panel under Xvfb, driven only by mouse and keyboard against the simulated unit:
# refused Search before Start, Start, Search, a typed value sent with Enter, Save; then port 12
# typed into the COM list and chosen from it; Escape to quit. Checks what the units received, byte
# for byte. Given a Windows build's folder (q42-panel.exe) and the simulated unit of a Linux build,
# it drives the .exe under Wine with COM1 and COM12 mapped to the units.
set -euo pipefail
bin=${1:?usage: x11_drive_test.sh BIN_DIR [UNIT_SIM]}
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/scripts/lib/x11.sh"
trap x11_cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in unit unit12; do echo "--- $log log"; cat "$X11_WORK/$log.log"; done
  echo "--- panel log"; tail -n 60 "$X11_WORK/panel.log"; exit 1
}

x11_start_display
x11_start_unit "$(dirname "${2:-$bin/q42-unit-sim}")" --verbose
X11_UNIT_PORT=12 x11_start_unit "$(dirname "${2:-$bin/q42-unit-sim}")" --verbose
panel_cmd=("$bin/q42-panel")
export QT_QPA_PLATFORM=xcb
if [ -e "$bin/q42-panel.exe" ]; then
  export QT_QPA_PLATFORM=windows
  . "$top/scripts/lib/wine.sh"
  wine_env
  wine_map_com 1 "$Q42_COM1"
  wine_map_com 12 "$Q42_COM12"
  unset Q42_COM12   # under Wine, COM12 is the port itself: the list finds it as the system reports it
  panel_cmd=("$top/scripts/wine-run.sh" "$bin/q42-panel.exe")
fi
"${panel_cmd[@]}" >"$X11_WORK/panel.log" 2>&1 &
panel=$!
X11_PIDS+=($panel)

windows() { xdotool search --onlyvisible --name '^VARNEK-Q42$' 2>/dev/null || true; }
wait_windows() {  # wait until exactly N windows titled VARNEK-Q42 are shown
  for _ in $(seq 100); do [ "$(windows | wc -l)" -eq "$1" ] && return 0; sleep 0.05; done
  fail "expected $1 VARNEK-Q42 window(s), see $(windows | wc -l)"
}
wait_windows 1
main=$(windows)
[ -z "${WINEPREFIX:-}" ] || sleep 1   # Wine maps its window before the program takes input
read -r w h < <(xwininfo -id "$main" | awk '/^  Width/{w=$2} /^  Height/{h=$2} END{print w, h}')
# 208 x 277 dialog units at the font's 6 x 12 base; Wine's GDI reads the same font as 13 pixels high.
[ "$w" = 312 ] && { [ "$h" = 416 ] || { [ "$h" = 450 ] && [ -n "${WINEPREFIX:-}" ]; }; } ||
  fail "window is ${w}x${h}; the dialog font (fonts-arphic-uming) is missing?"
X11_BASE_Y=$(((h * 8 + 138) / 277))
x11_origin "$main"
focus_main() { xdotool windowfocus --sync "$main"; }
close_box() {  # the box is the newest VARNEK-Q42 window; Enter presses its OK
  wait_windows 2
  box=$(windows | grep -vx "$main" | head -n1)
  xdotool windowfocus --sync "$box" key Return
  wait_windows 1
}
answered() { sleep 0.4; close_box; focus_main; }   # the answer's box, closed with its OK

focus_main
if [ -n "${WINEPREFIX:-}" ]; then
  # Wine 10 never shows the first list the Windows Vista style opens in a run (on Windows it does):
  # the baud list is opened and closed once, so that the COM list's step below is the one tested.
  x11_click_du 100 7 6 12
  sleep 0.5
  xdotool key Escape
  sleep 0.3
fi
x11_click_du 77 241 40 14                  # Search before Start
close_box
! grep -q '^q42-unit-sim: got' "$X11_WORK/unit.log" || fail "a refused Search sent something"

x11_click_du 115 7 50 14                   # Start
x11_click_du 77 241 40 14; answered        # Search: "Search Success!"
x11_click_du 70 69 40 14                   # L9 ATT_DL
xdotool key ctrl+a type 12abc
xdotool key Return; answered               # Enter in a field is Set: "Success!"
x11_click_du 122 240 39 14; answered       # Save

x11_click_du 115 25 50 14                  # Stop
x11_click_du 59 25 48 12                   # the COM list's field: 12 typed
xdotool key ctrl+a type 12
x11_click_du 115 7 50 14                   # Start
x11_click_du 77 241 40 14; answered        # Search on port 12
x11_click_du 70 149 40 14                  # L9 DL ISO ADJ
xdotool key Return; answered               # Set sends what port 12's unit sent

x11_click_du 115 25 50 14                  # Stop
x11_click_du 59 25 48 12
xdotool key ctrl+a type 1
xdotool key alt+Down                       # 12 chosen in the opened list
sleep 1
xdotool type 12
xdotool key Return
x11_click_du 115 7 50 14                   # Start
x11_click_du 122 240 39 14; answered       # Save

xdotool key Escape
for _ in $(seq 40); do kill -0 "$panel" 2>/dev/null || break; sleep 0.05; done
kill -0 "$panel" 2>/dev/null && fail "Escape did not end the program"
wait "$panel" || fail "q42-panel exited with $?"

query=':FF21006D02002101002701002201002801004D01004B01004E01004C01005301002B01004901007E01004A01007F01'
set=':FF23006D0278000021010C0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B010100490101007E0101004A0101007F0101'
same=':FF23006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B010100490101007E0101004A0101007F0101'
# Each unit got exactly its query, one set (port 1's with 12abc sent as 0C, port 12's as it answered)
# and the save (port 12's through the opened list), and nothing else.
for expected in "unit $query $set :FF06" "unit12 $query $same :FF06"; do
  read -r log frames <<<"$expected"
  [ "$(sed -n 's/^q42-unit-sim: got //p' "$X11_WORK/$log.log" | tr '\n' ' ')" = "$frames " ] ||
    fail "$log did not get exactly: $frames"
done
echo "1 passed, 0 failed: ${panel_cmd[-1]##*/} driven by mouse and keyboard under Xvfb"
