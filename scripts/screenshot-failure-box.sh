#!/usr/bin/env bash
# Renders the window's failure box under Xvfb as a technician meets it: Start on port 1 whose
# device is not there, on a laptop (a system of this script's own, Q42_SYSTEM_ROOT) where a CH340
# adapter has no driver. Saves the box as a PNG.
#   scripts/screenshot-failure-box.sh [--scale 2] [--bin FOLDER] [OUT]
set -euo pipefail
cd "$(dirname "$0")/.."
scale=1
bin=${Q42_HOST_BIN:-$PWD/build/bin}
while [ $# -gt 0 ]; do
  case $1 in
    --scale) scale=${2:?--scale needs 1 or 2}; shift 2 ;;
    --bin) bin=$(cd "${2:?--bin needs the folder of q42-panel}" && pwd); shift 2 ;;
    *) break ;;
  esac
done
out=${1:-docs/failure-box-${scale}x.png}
grab=${Q42_HOST_BIN:-$PWD/build/bin}/q42-screen-grab
[ -x "$bin/q42-panel" ] && [ -x "$grab" ] || { echo "build first: cmake --preset default && cmake --build build" >&2; exit 1; }
. scripts/lib/x11.sh
trap x11_cleanup EXIT

# The laptop: one CH340 on the bus whose driver is not loaded, as the kernel's sysfs lays it out.
root=$X11_WORK/system
iface=$root/sys/devices/pci0000:00/usb1/1-1/1-1:1.0
mkdir -p "$iface" "$root/sys/bus/usb/devices" "$root/proc"
printf '1a86\n' >"$iface/../idVendor"; printf '7523\n' >"$iface/../idProduct"
printf 'USB Serial\n' >"$iface/../product"; printf '1\n' >"$iface/../busnum"; printf '4\n' >"$iface/../devnum"
printf 'usb:v1A86p7523d0264dcFFdsc00dp00icFFisc01ip02in00\n' >"$iface/modalias"
ln -s ../../../devices/pci0000:00/usb1/1-1/1-1:1.0 "$root/sys/bus/usb/devices/1-1:1.0"
printf 'alias usb:v1A86p7523d*dc*dsc*dp*ic*isc*ip*in* ch341\n' >"$root/modules.alias"
printf 'root:x:0:\ndialout:x:20:\n' >"$root/group"

X11_SCREEN=$((1000 * scale))x$((700 * scale)) x11_start_display
Q42_SYSTEM_ROOT=$root Q42_COM1=/dev/ttyUSB7 QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb "$bin/q42-panel" 2>/dev/null &
X11_PIDS+=($!)
win=$(x11_window '^VARNEK-Q42$') || { echo "the window did not appear" >&2; exit 1; }
sleep 1
read -r h < <(xwininfo -id "$win" | awk '/^  Height/{print $2}')
X11_SCALE=$scale
X11_BASE_Y=$(((h / scale * 8 + 138) / 277))
x11_origin "$win"
x11_click_du 115 7 50 14    # Start
box=$(x11_box_of "$win") || { echo "no box came after Start" >&2; exit 1; }
sleep 0.5
xdotool mousemove 0 0
"$grab" "$out" "$box"
echo "wrote $out"
