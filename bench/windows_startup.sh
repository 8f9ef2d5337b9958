#!/usr/bin/env bash
# Start-up of q42-panel.exe under Wine against a bare Qt 6 dialog .exe with the same controls, built
# with the same kit, in the same prefix and the same run, taken in turns: fork to the first window
# mapped on Xvfb (q42-map-time), COM1 mapped to the simulated unit. Both carry Wine's own cost, which
# the ratio cancels; Wine is not Windows.
#   RUNS=10 bench/windows_startup.sh     (after scripts/test.sh, or the ci and windows presets built)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-10}
bin=${BIN:-$PWD/build-ci/bin}
. scripts/lib/x11.sh
trap x11_cleanup EXIT
x11_start_display
x11_start_unit "$bin"
. scripts/lib/wine.sh
wine_env
wine_map_com 1 "$Q42_COM1"
start_ms() {
  QT_QPA_PLATFORM=windows "$bin/q42-map-time" 1 scripts/wine-run.sh "$1" 2>/dev/null |
    sed -n 's/^map_ms_median \([0-9.]*\).*/\1/p'
}
# One start of each first, so that the figures do not include setting up Wine's server and caches.
start_ms build-windows/bin/q42-panel.exe >/dev/null
start_ms build-windows/bin/q42-bare-dialog.exe >/dev/null
for _ in $(seq "$RUNS"); do
  echo "panel $(start_ms build-windows/bin/q42-panel.exe)"
  echo "bare $(start_ms build-windows/bin/q42-bare-dialog.exe)"
done >"$X11_WORK/starts"
stats() {
  grep "^$1 [0-9]" "$X11_WORK/starts" | cut -d' ' -f2 | sort -n |
    awk '{a[NR] = $1} END {printf "%.1f %.1f %.1f %d\n", a[int((NR + 1) / 2)], a[1], a[NR], NR}'
}
read -r panel pmin pmax pn < <(stats panel)
read -r bare bmin bmax bn < <(stats bare)
echo "q42-panel.exe under Wine:   median $panel ms ($pmin-$pmax, $pn runs)"
echo "bare Qt dialog.exe, same:   median $bare ms ($bmin-$bmax, $bn runs)"
echo "ratio: $(awk -v a="$panel" -v b="$bare" 'BEGIN {printf "%.2fx", a / b}') (goal at most 1.2x)"
