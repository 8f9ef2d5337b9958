#!/usr/bin/env bash
# Start-up of q42-panel.exe under Wine against the Linux build, from fork to the window mapped on
# Xvfb (q42-map-time), with COM1 mapped to the simulated unit. Wine is not Windows: a rough figure.
#   bench/windows_startup.sh     (after cmake --build --preset default and --preset windows)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-10}
. scripts/lib/x11.sh
trap x11_cleanup EXIT
x11_start_display
x11_start_unit build/bin
. scripts/lib/wine.sh
wine_env
wine_map_com 1 "$Q42_COM1"
# One start first, so that the figures do not include setting up Wine's server and caches.
QT_QPA_PLATFORM=windows build/bin/q42-map-time 1 scripts/wine-run.sh build-windows/bin/q42-panel.exe >/dev/null
echo "q42-panel.exe under Wine: $(QT_QPA_PLATFORM=windows build/bin/q42-map-time "$RUNS" scripts/wine-run.sh build-windows/bin/q42-panel.exe)"
echo "q42-panel on Linux:       $(QT_QPA_PLATFORM=xcb build/bin/q42-map-time "$RUNS" build/bin/q42-panel)"
