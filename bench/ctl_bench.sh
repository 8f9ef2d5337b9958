#!/usr/bin/env bash
# Wall time of q42ctl against simulated units, against the line time its frames need, and the cost of
# running many units at once. Prints a Markdown table; figures, never pass/fail.
#   bench/ctl_bench.sh            (RUNS=30 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-30}
bin=${BIN:-$PWD/build/bin}
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

# Starts a simulated unit with the given options and sets dev to its device. Not in a subshell:
# the unit ends with the process that started it.
unit() {
  local out=$work/unit${#pids[@]}
  "$bin/q42-unit-sim" "$@" >"$out" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.02; done
  dev=$(head -n1 "$out")
}

# Median and 95th percentile wall time in ms of RUNS runs of a command.
timed() {
  for _ in $(seq "$RUNS"); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
  done | sort -n | awk '{a[NR] = $1} END {printf "%.1f %.1f\n", a[int((NR + 1) / 2)] / 1000, a[int(NR * 0.95 + 0.5)] / 1000}'
}

# Line time in ms of a number of characters at 10 bits each.
floor_ms() { awk -v c="$1" -v b="$2" 'BEGIN {printf "%.1f\n", c * 10 / b * 1000}'; }

echo "| figure | floor or goal | median | p95 | over the floor |"
echo "|---|---|---|---|---|"
for baud in 57600 9600; do
  unit --baud "$baud"
  read -r med p95 < <(timed "$bin/q42ctl" -r "$dev" -s "$baud" get)
  fl=$(floor_ms $((97 + 127)) "$baud")
  echo "| q42ctl get, $baud baud | line time of 97 + 127 characters: $fl ms; goal within 30 ms | $med ms | $p95 ms | $(awk -v m="$med" -v f="$fl" 'BEGIN {printf "%+.1f ms", m - f}') |"
done

# A full copy: read the target, write, save, read back. Frames: query 97 + 127, set 129 + ack 5,
# save 7 + ack 5, query again 97 + 127.
unit; src=$dev
unit; dst=$dev
"$bin/q42ctl" -r "$src" get --json >"$work/unit.json"
read -r med p95 < <(timed "$bin/q42ctl" -r "$dst" set --from "$work/unit.json" --save --verify)
fl=$(floor_ms $((97 + 127 + 129 + 5 + 7 + 5 + 97 + 127)) 57600)
echo "| copy one unit (set --from --save --verify), 57600 baud | line time $fl ms | $med ms | $p95 ms | $(awk -v m="$med" -v f="$fl" 'BEGIN {printf "%+.1f ms", m - f}') |"

unit; one=$dev
read -r med1 p951 < <(timed "$bin/q42ctl" -r "$one" get)
args=()
for _ in $(seq 8); do unit; args+=(-r "$dev"); done
read -r med8 p958 < <(timed "$bin/q42ctl" "${args[@]}" get)
echo "| q42ctl get, 8 units at once against 1 unit, 57600 baud | goal under 1.3x | $med8 ms (1 unit: $med1 ms) | $p958 ms | $(awk -v a="$med8" -v b="$med1" 'BEGIN {printf "%.2fx", a / b}') |"

# --trace against none, alternating in the same run so that both see the same machine.
unit; traced=$dev
for _ in $(seq "$RUNS"); do
  for mode in plain trace; do
    t0=$(date +%s%N)
    if [ "$mode" = trace ]; then "$bin/q42ctl" -r "$traced" --trace get >/dev/null 2>&1; else "$bin/q42ctl" -r "$traced" get >/dev/null 2>&1; fi
    t1=$(date +%s%N)
    echo "$mode $(((t1 - t0) / 1000))"
  done
done >"$work/trace.txt"
median() { grep "^$1 " "$work/trace.txt" | cut -d' ' -f2 | sort -n | awk '{a[NR] = $1} END {printf "%.1f\n", a[int((NR + 1) / 2)] / 1000}'; }
plain=$(median plain)
traced_ms=$(median trace)
echo "| q42ctl get --trace against get, 57600 baud | goal at most +1 ms | $traced_ms ms (get: $plain ms) | | $(awk -v a="$traced_ms" -v b="$plain" 'BEGIN {printf "%+.1f ms", a - b}') |"

# detect over 8 units, 4 at each rate, answering only at their own rate; the 9600 ones answer only
# after the 57600 query has timed out. Then the same with one of them silent, the slowest case.
detect_args=()
for baud in 57600 57600 57600 57600 9600 9600 9600 9600; do unit --strict-baud --baud "$baud"; detect_args+=(-r "$dev"); done
read -r med p95 < <(RUNS=${DETECT_RUNS:-5} timed "$bin/q42ctl" "${detect_args[@]}" detect)
echo "| q42ctl detect, 8 units at 57600 and 9600, timeout 1000 ms | goal within 2 x 1000 + 100 ms | $med ms | $p95 ms | |"
unit --no-answer
detect_args[15]=$dev
read -r med p95 < <(RUNS=${DETECT_RUNS:-5} timed "$bin/q42ctl" "${detect_args[@]}" detect)
echo "| q42ctl detect, the same with one unit silent | goal within 2 x 1000 + 100 ms | $med ms | $p95 ms | |"
