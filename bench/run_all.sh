#!/usr/bin/env bash
# Builds and runs every benchmark against the real binaries and the simulated unit, prints one table
# and writes it to docs/PERFORMANCE.md. Figures, not pass/fail: nothing here fails on a slow machine.
#   bench/run_all.sh            (IDLE_SECONDS=60 TRIALS=500 RUNS=20 by default)
#   BIN=DIR bench/run_all.sh    the binaries of another build (an earlier commit's, to compare in the
#                               same run); the table is printed, docs/PERFORMANCE.md left alone
set -euo pipefail
cd "$(dirname "$0")/.."
IDLE_SECONDS=${IDLE_SECONDS:-60}
TRIALS=${TRIALS:-500}
RUNS=${RUNS:-20}

scripts/install-deps.sh
bin=${BIN:-}
if [ -z "$bin" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default -j "$(nproc)" >/dev/null
  bin=$PWD/build/bin
fi
. scripts/lib/x11.sh
trap x11_cleanup EXIT
work=$X11_WORK
x11_start_display
x11_start_unit "$bin"

# CPU time in ns and context switches (each a wake-up) of every thread of a process.
cost() {
  local ns=0 sw=0 a rest
  for t in /proc/"$1"/task/*; do
    read -r a rest <"$t/schedstat"
    ns=$((ns + a))
    sw=$((sw + $(awk '/voluntary_ctxt_switches/ {s += $2} END {print s}' "$t/status")))
  done
  echo "$ns $sw"
}
idle() {  # PID -> "cpu-percent wakeups-per-second" over IDLE_SECONDS
  local c0 w0 c1 w1
  read -r c0 w0 < <(cost "$1"); sleep "$IDLE_SECONDS"; read -r c1 w1 < <(cost "$1")
  awk -v c="$((c1 - c0))" -v w="$((w1 - w0))" -v s="$IDLE_SECONDS" 'BEGIN {printf "%.3f %.1f\n", c / (s * 1e9) * 100, w / s}'
}

echo "== protocol" >&2
"$bin/q42-protocol-bench" --benchmark_format=csv 2>/dev/null | awk -F, '/^"BM_/ {gsub(/"/, "", $1); printf "%s %.0f\n", $1, $4}' >"$work/protocol"

echo "== start-up and memory, $RUNS runs each" >&2
read -r _ bare_map _ bare_map_min _ bare_map_max _ bare_rss _ < <("$bin/q42-map-time" "$RUNS" "$bin/q42-bare-dialog" --timer)
read -r _ panel_map _ panel_map_min _ panel_map_max _ panel_rss _ < <("$bin/q42-map-time" "$RUNS" "$bin/q42-panel")

echo "== idle cost, $IDLE_SECONDS s each" >&2
"$bin/q42-panel" 2>/dev/null & panel=$!; X11_PIDS+=($panel)
x11_origin "$(x11_window '^VARNEK-Q42$')"
x11_click_du 115 7 50 14   # Start
sleep 2
read -r panel_cpu panel_wake < <(idle "$panel")
kill "$panel"
"$bin/q42-bare-dialog" --timer 2>/dev/null & bare=$!; X11_PIDS+=($bare); x11_window '^bare dialog$' >/dev/null; sleep 1
read -r bare_cpu bare_wake < <(idle "$bare")
kill "$bare"

echo "== answer latency, $TRIALS trials per baud rate" >&2
QT_QPA_PLATFORM=offscreen "$bin/q42-answer-latency" --trials "$TRIALS" 2>/dev/null >"$work/latency"
lat() { awk -v b="$1" -v k="$2" '$0 ~ "^" k " " b " baud" {print}' "$work/latency"; }
num() { grep -oE "$1 [0-9.]+" <<<"$2" | awk '{print $NF}'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf (b > 0 ? "%.2f\n" : "-\n"), a / b}'; }
{
  echo "| figure | floor or goal | measured | ratio |"
  echo "|---|---|---|---|"
  echo "| start to window mapped (median of $RUNS; min-max) | bare Qt 6 dialog: $bare_map ms; goal 1.2x | $panel_map ms ($panel_map_min-$panel_map_max) | $(ratio "$panel_map" "$bare_map") |"
  echo "| resident memory after start (median) | bare Qt 6 dialog: $bare_rss MiB; goal 1.2x | $panel_rss MiB | $(ratio "$panel_rss" "$bare_rss") |"
  echo "| idle CPU, port started, no traffic, ${IDLE_SECONDS} s | goal under 0.05%; bare dialog with 10 ms timer: $bare_cpu% | $panel_cpu% | - |"
  echo "| wake-ups per second, idle | bare dialog with 10 ms timer: $bare_wake/s | $panel_wake/s | - |"
  for b in 57600 9600; do
    l=$(lat "$b" "answer latency"); r=$(lat "$b" "search round trip")
    echo "| last answer byte to form filled and box shown, $b baud ($TRIALS trials) | 200 ms quiet gap; goal p99 <= 210 ms | median $(num median "$l") ms, p99 $(num p99 "$l") ms | $(ratio "$(num p99 "$l")" 200) |"
    echo "| Search round trip, $b baud | floor $(num floor "$r") ms | median $(num median "$r") ms, p99 $(num p99 "$r") ms | $(ratio "$(num median "$r")" "$(num floor "$r")") |"
  done
  while read -r name ns; do
    echo "| $name (Google Benchmark, CPU time) | goal well under 1000 ns | $ns ns | $(ratio "$ns" 1000) |"
  done <"$work/protocol"
} | tee "$work/table"
[ -z "${BIN:-}" ] || exit 0

{
  echo "# Performance"
  echo
  echo "Measured $(date -u +%Y-%m-%d) by \`bench/run_all.sh\` on this machine: $(nproc) cores ($(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)), $(free -g | awk '/Mem:/ {print $2}') GiB, $(. /etc/os-release; echo "$PRETTY_NAME"), Qt $(pkg-config --modversion Qt6Core 2>/dev/null), under Xvfb."
  echo
  cat "$work/table"
  echo
  echo "Start-up is timed from fork to the X server's MapNotify of the first window (\`q42-map-time\`), memory is"
  echo "VmRSS half a second after mapping. Idle cost is the CPU time and context switches of all of the"
  echo "process's threads (\`/proc/PID/task/*/schedstat\`, \`status\`) while started on the simulated unit."
  echo "Answer latency runs the real window off screen against \`q42-unit-sim --timestamps\`, which prints the"
  echo "CLOCK_MONOTONIC time at which an answer's last byte went onto the line."
} >docs/PERFORMANCE.md.new
if [ -f docs/PERFORMANCE.md ] && grep -q '^## ' docs/PERFORMANCE.md; then
  sed -n '/^## /,$p' docs/PERFORMANCE.md >>docs/PERFORMANCE.md.new   # keep the hand-written sections
  sed -i '0,/^## /s//\n## /' docs/PERFORMANCE.md.new
fi
mv docs/PERFORMANCE.md.new docs/PERFORMANCE.md
echo "wrote docs/PERFORMANCE.md" >&2
