#!/usr/bin/env bash
# A line that hangs up in the middle of an answer, as a pulled cable does: what q42ctl says, its exit
# status, its wall and CPU time, and the serial component's CPU in the two seconds after the hang-up
# (the window's path). Figures, never pass/fail.
#   bench/hangup_bench.sh                 (RUNS=5; BIN=DIR for another build's programs)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-5}
bin=${BIN:-$PWD/build/bin}
work=$(mktemp -d)
sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT

echo "Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo '?') on $(. /etc/os-release; echo "$PRETTY_NAME")"
echo "| run | q42ctl get --timeout 2000: message | exit | wall s | CPU s (user+sys) |"
echo "|---|---|---|---|---|"
TIMEFORMAT='%R %U %S'
for run in $(seq "$RUNS"); do
  "$bin/q42-unit-sim" --hangup-after 1 --hangup-at-byte 40 >"$work/sim" 2>/dev/null &
  sim=$!
  for _ in $(seq 100); do [ -s "$work/sim" ] && break; sleep 0.02; done
  dev=$(head -n1 "$work/sim")
  status=0
  { time "$bin/q42ctl" -r "$dev" --timeout 2000 get >/dev/null 2>"$work/err" || status=$?; } 2>"$work/time"
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  sim=
  read -r wall user sys <"$work/time"
  message=$(grep -m1 -oE 'went away|no complete answer|did not answer' "$work/err" || head -c 60 "$work/err")
  echo "| $run | $message | $status | $wall | $(awk -v u="$user" -v s="$sys" 'BEGIN {printf "%.2f", u + s}') |"
done
echo
"$bin/q42-hangup-cpu" "$RUNS"
