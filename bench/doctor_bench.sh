#!/usr/bin/env bash
# Wall time of q42ctl doctor: on this machine as it is (whatever adapters and ports it has), with a
# short answer timeout, and with eight simulated units given with -r. Median and 95th percentile of
# RUNS runs, in ms; figures, never pass/fail.
#   BIN=build-ci/bin RUNS=20 bench/doctor_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-20}
bin=${BIN:-$PWD/build/bin}
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

timed() {
  for _ in $(seq "$RUNS"); do
    local t0 t1
    t0=$(date +%s%N)
    "$bin/q42ctl" "$@" >/dev/null 2>&1 || true
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
  done | sort -n | awk '{a[NR] = $1} END {printf "%.1f | %.1f", a[int((NR + 1) / 2)] / 1000, a[int(NR * 0.95 + 0.5)] / 1000}'
}

devices=()
for i in $(seq 8); do
  "$bin/q42-unit-sim" >"$work/unit$i" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/unit$i" ] && break; sleep 0.02; done
  devices+=(-r "$(head -n1 "$work/unit$i")")
done

echo "| q42ctl doctor | median ms | p95 ms |"
echo "|---|---|---|"
echo "| this machine, no device given ($("$bin/q42ctl" ports 2>/dev/null | wc -l) serial ports present) | $(timed doctor) |"
echo "| this machine, no device given, -t 200 | $(timed -t 200 doctor) |"
echo "| eight simulated units (-r x8), each answering at 57600 | $(timed "${devices[@]}" doctor) |"
echo "| one missing device (-r /dev/ttyUSB9): the system examined, nothing sent | $(timed -r /dev/ttyUSB9 doctor) |"
