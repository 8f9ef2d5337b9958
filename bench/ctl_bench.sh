#!/usr/bin/env bash
# Wall time of q42ctl against simulated units, against the line time its frames need, and the cost of
# running many units at once. Prints a Markdown table; figures, never pass/fail.
#   bench/ctl_bench.sh                      (RUNS=30 by default)
#   BASE=DIR bench/ctl_bench.sh             also an earlier build's q42ctl from DIR, its runs taking
#                                           turns with this build's, so that both see the same machine
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-30}
bin=${BIN:-$PWD/build/bin}
bins=("$bin")
[ -n "${BASE:-}" ] && bins+=("$BASE")
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

# RUNS runs of q42ctl with these arguments under each build in turn; prints, for each build, its
# median and 95th percentile wall time in ms ("12.3 14.0" and, with BASE, "12.5 14.2" after it).
timed() {
  for _ in $(seq "$RUNS"); do
    for b in "${!bins[@]}"; do
      local t0 t1
      t0=$(date +%s%N)
      "${bins[$b]}/q42ctl" "$@" >/dev/null 2>&1 || true
      t1=$(date +%s%N)
      echo "$b $(((t1 - t0) / 1000))"
    done
  done >"$work/times"
  for b in "${!bins[@]}"; do
    grep "^$b " "$work/times" | cut -d' ' -f2 | sort -n |
      awk '{a[NR] = $1} END {printf "%.1f %.1f ", a[int((NR + 1) / 2)] / 1000, a[int(NR * 0.95 + 0.5)] / 1000}'
  done
  echo
}

# Line time in ms of a number of characters at 10 bits each.
floor_ms() { awk -v c="$1" -v b="$2" 'BEGIN {printf "%.1f\n", c * 10 / b * 1000}'; }

# One table row from timed's figures: this build's median and p95, its excess over the floor, and
# the earlier build's median when there is one.
row() {  # NAME FLOOR-TEXT FLOOR-MS FIGURES...
  local name=$1 goal=$2 fl=$3 med=$4 p95=$5 base=${6:-}
  local over
  over=$([ -n "$fl" ] && awk -v m="$med" -v f="$fl" 'BEGIN {printf "%+.1f ms", m - f}' || true)
  echo "| $name | $goal | $med ms | $p95 ms | $over |${BASE:+ $base ms |}"
}

echo "| figure | floor or goal | median | p95 | over the floor |${BASE:+ earlier build, median |}"
echo "|---|---|---|---|---|${BASE:+---|}"
for baud in 57600 9600; do
  unit --baud "$baud"
  fl=$(floor_ms $((97 + 127)) "$baud")
  # shellcheck disable=SC2046
  row "q42ctl get, $baud baud" "line time of 97 + 127 characters: $fl ms; goal within 30 ms" "$fl" $(timed -r "$dev" -s "$baud" get)
done

# A set with its save: query 97 + 127, set 129 + ack 5, save 7 + ack 5. With retries allowed and none
# needed, no step may wait for a quiet line.
unit
fl=$(floor_ms $((97 + 127 + 129 + 5 + 7 + 5)) 57600)
# shellcheck disable=SC2046
row "q42ctl set --save, 57600 baud" "line time $fl ms" "$fl" $(timed -r "$dev" set l9_att_dl=20 --save)
# shellcheck disable=SC2046
row "the same with --retries 2, none needed" "line time $fl ms; no quiet gap of 200 ms" "$fl" $(timed -r "$dev" --retries 2 set l9_att_dl=20 --save)

# A full copy: read the target, write, save, read back. Frames: query 97 + 127, set 129 + ack 5,
# save 7 + ack 5, query again 97 + 127.
unit; src=$dev
unit; dst=$dev
"$bin/q42ctl" -r "$src" get --json >"$work/unit.json"
fl=$(floor_ms $((97 + 127 + 129 + 5 + 7 + 5 + 97 + 127)) 57600)
# shellcheck disable=SC2046
row "copy one unit (set --from --save --verify), 57600 baud" "line time $fl ms" "$fl" $(timed -r "$dst" set --from "$work/unit.json" --save --verify)

unit; one=$dev
read -r med1 _ < <(timed -r "$one" get)
args=()
for _ in $(seq 8); do unit; args+=(-r "$dev"); done
read -r med8 p958 base8 _ < <(timed "${args[@]}" get)
echo "| q42ctl get, 8 units at once against 1 unit, 57600 baud | goal under 1.3x | $med8 ms (1 unit: $med1 ms) | $p958 ms | $(awk -v a="$med8" -v b="$med1" 'BEGIN {printf "%.2fx", a / b}') |${BASE:+ $base8 ms |}"

# --trace against none, in the same run.
unit; traced=$dev
read -r plain _ < <(timed -r "$traced" get)
read -r traced_ms _ base_traced _ < <(timed -r "$traced" --trace get)
echo "| q42ctl get --trace against get, 57600 baud | goal at most +1 ms | $traced_ms ms (get: $plain ms) | | $(awk -v a="$traced_ms" -v b="$plain" 'BEGIN {printf "%+.1f ms", a - b}') |${BASE:+ $base_traced ms |}"

# detect over 8 units, 4 at each rate, answering only at their own rate; the 9600 ones answer only
# after the 57600 query has timed out. Then the same with one of them silent, the slowest case.
detect_args=()
for baud in 57600 57600 57600 57600 9600 9600 9600 9600; do unit --strict-baud --baud "$baud"; detect_args+=(-r "$dev"); done
# shellcheck disable=SC2046
row "q42ctl detect, 8 units at 57600 and 9600, timeout 1000 ms" "goal within 2 x 1000 + 100 ms" "" $(RUNS=${DETECT_RUNS:-5} timed "${detect_args[@]}" detect)
unit --no-answer
detect_args[15]=$dev
# shellcheck disable=SC2046
row "q42ctl detect, the same with one unit silent" "goal within 2 x 1000 + 100 ms" "" $(RUNS=${DETECT_RUNS:-5} timed "${detect_args[@]}" detect)
