#!/usr/bin/env bash
# q42ctl commission against a simulated unit that the bench connects through its control input:
# how soon a newly connected unit is seen, the time from its first answer to its PASS record against
# the line time of the frames that needs, and q42ctl's CPU while it waits. Prints a Markdown table;
# figures, never pass/fail.
#   bench/commission_bench.sh            (RUNS=5 IDLE_SECONDS=10 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-5}
IDLE_SECONDS=${IDLE_SECONDS:-10}
bin=${BIN:-$PWD/build/bin}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
printf '{"L9 ATT_DL": 20, "ISO TIME MINUTES": 150}\n' >"$work/golden.json"
now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

# One unit brought up: prints "seen-ms answer-to-pass-ms" and, with CPU=1, the idle CPU in percent.
one_unit() {
  local baud=$1 control=$work/control.$baud out=$work/out.$baud err=$work/err.$baud
  rm -f "$control"
  mkfifo "$control"
  "$bin/q42-unit-sim" --control --baud "$baud" <"$control" >"$work/sim.$baud" 2>/dev/null &
  exec 7>"$control"
  echo silent >&7
  for _ in $(seq 100); do [ -s "$work/sim.$baud" ] && break; sleep 0.02; done
  local dev
  dev=$(head -n1 "$work/sim.$baud")
  "$bin/q42ctl" -r "$dev" -s "$baud" --trace commission --from "$work/golden.json" --no-backup --units 1 >"$out" 2>"$err" &
  local ctl=$!
  for _ in $(seq 200); do grep -q "waiting for a unit" "$err" && break; sleep 0.01; done
  if [ "${CPU:-0}" = 1 ]; then
    local t0 t1
    t0=$(awk '{print $14 + $15}' "/proc/$ctl/stat")
    sleep "$IDLE_SECONDS"
    t1=$(awk '{print $14 + $15}' "/proc/$ctl/stat")
    awk -v d=$((t1 - t0)) -v s="$IDLE_SECONDS" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "cpu %.2f\n", d / hz / s * 100}'
  fi
  local connected
  connected=$(now_ms)
  echo "unit 1" >&7
  for _ in $(seq 500); do [ -s "$out" ] && break; sleep 0.002; done
  local passed
  passed=$(now_ms)
  wait "$ctl" || true
  exec 7>&-
  # From the trace: the end of the first answer of the unit, and the end of the save's acknowledgement.
  local first last
  first=$(grep -m1 'received .*0101\\r\\n$' "$err" | sed 's/^\[ *\([0-9.]*\) ms.*/\1/')
  last=$(grep 'received .*\\r\\n$' "$err" | tail -n1 | sed 's/^\[ *\([0-9.]*\) ms.*/\1/')
  awk -v c="$connected" -v p="$passed" -v f="$first" -v l="$last" 'BEGIN {printf "%d %.1f\n", (p - c) - (l - f), l - f}'
}

echo "| figure | floor or goal | median of $RUNS |"
echo "|---|---|---|"
for baud in 57600 9600; do
  : >"$work/runs"
  for _ in $(seq "$RUNS"); do one_unit "$baud" >>"$work/runs"; done
  # After the first answer: set 129 + ack 5, query 97 + answer 127, save 7 + ack 5 characters.
  floor=$(awk -v b="$baud" 'BEGIN {printf "%.1f", (129 + 5 + 97 + 127 + 7 + 5) * 10 / b * 1000}')
  seen=$(cut -d' ' -f1 "$work/runs" | median)
  pass=$(cut -d' ' -f2 "$work/runs" | median)
  echo "| first answer to PASS, $baud baud | line time $floor ms; goal within 100 ms of it | $pass ms ($(awk -v p="$pass" -v f="$floor" 'BEGIN {printf "%+.1f", p - f}') ms) |"
  echo "| a unit connected until its first answer is read, $baud baud | a poll every 0.5 s, or at the 1 s timeout | $seen ms |"
done
idle=$(CPU=1 one_unit 57600 | sed -n 's/^cpu //p')
echo "| CPU while waiting for a unit, $IDLE_SECONDS s | goal under 1% of a core | $idle% |"
