#!/usr/bin/env bash
# Builds q42-panel and opens it.
#   scripts/run.sh                 port 1 reaches a simulated unit (no hardware needed)
#   scripts/run.sh /dev/ttyUSB0    port 1 reaches that device
#   scripts/run.sh --system-ports  port numbers count this machine's serial ports, USB adapters first
# Installs whatever is missing first (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  -h|--help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target q42-panel q42-unit-sim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set). Run this from a desktop session, or under Xvfb:" >&2
  echo "  xvfb-run -a scripts/run.sh" >&2
  exit 1
fi

sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null || true' EXIT
case "${1:-}" in
  --system-ports)
    ;;
  "")
    sim_out=$(mktemp)
    build/bin/q42-unit-sim >"$sim_out" &
    sim=$!
    for _ in $(seq 50); do [ -s "$sim_out" ] && break; sleep 0.1; done
    export Q42_COM1=$(head -n1 "$sim_out")
    rm -f "$sim_out"
    echo "run.sh: port 1 reaches the simulated unit on $Q42_COM1; press Start, then Search." >&2
    ;;
  *)
    [ -e "$1" ] || { echo "run.sh: $1 does not exist; is the adapter plugged in?" >&2; exit 1; }
    export Q42_COM1=$1
    echo "run.sh: port 1 reaches $1." >&2
    ;;
esac
build/bin/q42-panel
