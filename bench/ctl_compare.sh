#!/usr/bin/env bash
# Runs two builds of q42ctl side by side over the same rows (the rows of q42ctl's test tables: the
# simulated unit's faults, each with --trace, and every usage error, alone and two at once) against
# fresh simulated units, and prints each row whose standard output, standard error (trace times,
# record times, device names and how the received bytes were split left out) or exit status
# differ, with the difference.
#   bench/ctl_compare.sh OLD_BIN_DIR NEW_BIN_DIR
set -uo pipefail
old=${1:?the earlier build\'s bin folder}
new=${2:?this build\'s bin folder}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cat >"$work/unit.json" <<'EOF'
{"ISO TIME": 2, "ISO TIME MINUTES": 151, "L9 ATT_DL": 10, "L9 ATT_UL": 10, "L7 ATT_DL": 12, "L7 ATT_UL": 12,
 "L9 DL ISO ADJ": 0, "L9 UL ISO ADJ": 0, "L7 DL ISO ADJ": 7, "L7 UL ISO ADJ": 0, "SMART Switch": "ON",
 "Sleep Mode": "OFF", "L9_PA_SW": "OFF", "L7_PA_SW": "ON"}
EOF
echo '{}' >"$work/empty.json"
echo 'L9_ATT_DL=300' >"$work/bad.json"
: >"$work/plain"

# Each row: the unit's options | q42ctl's arguments ({dev} is the unit's device).
rows=(
  "|-r {dev} get"
  "|-r {dev} get --json sleep_mode iso_time ISO_TIME_minutes"
  "|-r {dev} set l9_att_dl=20 ISO_TIME_MINUTES=150 --save --verify"
  "|-r {dev} save"
  "|-r {dev} set l9_att_dl=20 sleep_mode=off --dry-run"
  "|-r {dev} set --from $work/unit.json --save --verify"
  "--baud 9600 --strict-baud|-r {dev} -s 9600 get l7_pa_sw"
  "--split-at 3,70 --pause-ms 300 --garbage 200 --spaces --lowercase|-r {dev} get l7_att_ul"
  "--twice|-r {dev} set smart_switch=off iso_time=3 --save"
  "--twice --split-at 127 --pause-ms 200|-r {dev} set l9_att_dl=20 --save"
  "--stray-start 50|-r {dev} get l9_att_dl"
  "--leftover-ack|-r {dev} get l7_att_dl"
  "--lose-answer 2|-r {dev} -t 300 --retries 1 set l9_att_dl=20 --save"
  "--lose-answer 2|-r {dev} -t 300 --retries 2 set l9_att_dl=20 --save --verify"
  "--delay-ms 450 --delay-only 2|-r {dev} -t 300 --retries 1 set l9_att_dl=20 --save"
  "--lose-answer 2,4|-r {dev} -t 300 --retries 1 set l9_att_dl=20 --save"
  "--twice --split-at 9 --pause-ms 50 --lose-answer 3|-r {dev} -t 300 set l9_att_dl=20 --save"
  "--lose-answer 3|-r {dev} -t 300 set l9_att_dl=20 --save"
  "--no-answer|-r {dev} -t 200 --retries 2 get"
  "|-r {dev} --retries 11 get"
  "|-r {dev} set l9_att_dl=12abc"
  "|-r /dev/q42-no-such-device get"
  "|-r serial:Q42-NONE get"
  "|-r /dev/null get"
  "--no-answer|-r {dev} -t 300 get"
  "--cr-only|-r {dev} -t 300 save"
  "--hangup-after 1 --hangup-at-byte 40|-r {dev} get"
  "--forget-sets|-r {dev} set ISO_TIME=5 --verify"
  "--no-answer|-r {dev} -t 200 get --json -o $work/out.json"
  "--split-at 20 --pause-ms 300|-r {dev} set l9_att_dl=20 --save"
  "--strict-baud --baud 9600|-r {dev} -t 400 detect"
  "--no-answer|-r {dev} -r /dev/q42-no-such-device -t 300 detect --json"
  "|-p 3 get l9_att_dl"
  "|--version"
  "|--help"
  "|-r {dev} --log /dev/full save"
  "|-r {dev} --log $work/run.log --unit-id A-1 set l9_att_dl=20"
  "|-r {dev} commission --from $work/bad.json"
  "|-r {dev} commission --from /nonexistent/unit.json"
  "|-r {dev} commission --from $work/unit.json --backup-dir /proc/q42"
  "|-r {dev} commission --from $work/unit.json --no-backup --units 1 --json"
  "|-r {dev} commission --from $work/unit.json --no-backup --no-save --units 1"
  "|-r $work/plain get"
  "|-r $work/plain commission --from $work/unit.json --no-backup"
  "|-p 3 -r {dev} get"
  "|-r {dev} set --from $work/empty.json"
  "|-r {dev} set --from /dev/zero"
  "|-r {dev} doctor --json"
  "|ports --json"
  "|-r {dev} -o $work/x doctor"
  "|doctor --log $work/x.log"
  "|-r {dev} doctor extra"
  "|get --acceptance $work/r.txt -r {dev}"
  "|-r {dev} doctor --acceptance $work/r.txt --json"
  "|-r {dev} -r /dev/b doctor --acceptance $work/r.txt"
  "|-r /dev/a -r /dev/b doctor --acceptance $work/r.txt"
  "|-r {dev} -o '' get"
  "|-r {dev} --backup-dir '' commission --from $work/unit.json"
  "|-r serial: get"
  "|-r /dev/a -r /dev/a get"
  "|-p 3 --port 3 get"
  "|-p 256 get"
  "|-p COM1x get"
  "|-r /dev/a"
  "|-r /dev/a ports"
  "|get"
  "|-r /dev/a get --dry-run"
  "|-r /dev/a get --no-save"
  "|-r /dev/a -r /dev/b set l9_att_dl=1 --backup f"
  "|-r /dev/a commission"
  "|-r /dev/a -r /dev/b commission --from f --ask-unit-id"
  "|-r /dev/a commission --from f --no-backup --backup-dir d"
  "|-r /dev/a commission --from f --units 0"
  "|-r /dev/a set l9_att_dl=1 --dry-run --save"
  "|-r /dev/a save --json"
  "|-r /dev/a get volume"
  "|-r /dev/a set --from unit.json l9_att_dl=1"
  "|-r /dev/a set --save"
  "|-r /dev/a set iso_time=3 iso_time_minutes=150"
  "|-r /dev/a save now"
  "|-r /dev/a --bogus get"
  "|-r /dev/a frobnicate"
  "|-r /dev/a -s 9601 get"
  "|-r /dev/a -t 0 get"
  "|-r /dev/a -t 600001 get"
  "|-r /dev/a --unit-id X -r /dev/b get"
  "|--unit-id X ports"
  "|-r /dev/a -o f set l9_att_dl=1"
  "|-r /dev/a --log f ports"
  "|-r /dev/a -s 1 --dry-run get"
  "|-r /dev/a --units 0 get"
  "|-r /dev/a --json --units 3 set l9_att_dl=1"
  "|-r /dev/a --save --no-save commission --from f"
  "|-r /dev/a --save --no-save set l9_att_dl=1"
  "|-p 256 -s 1 get"
  "|-r /dev/a --units 0 commission"
  "|-r /dev/a -o x --unit-id y commission --from f"
  "|-r /dev/a doctor -o x --json --acceptance r"
)

# Starts a unit with the given options and sets dev to its device. Not in a subshell: the unit ends
# with the process that started it.
unit() {
  local out=$work/unit
  : >"$out"
  "$new/q42-unit-sim" "$@" >"$out" 2>/dev/null &
  sim_pid=$!
  # The device's whole line, not the first bytes of it: a busy machine may be slow to write it.
  for _ in $(seq 500); do [ "$(wc -l <"$out")" -ge 1 ] && break; sleep 0.02; done
  dev=$(head -n1 "$out")
  [ -n "$dev" ] || echo "q42-unit-sim $* gave no device" >&2
}

run() {  # BIN SIMOPTS ARGS RESULT: "status", standard output, standard error, the unit's device and times masked
  # shellcheck disable=SC2086
  unit $2
  local args=${3//\{dev\}/$dev}
  # shellcheck disable=SC2086
  Q42_COM3=$dev eval "\"\$1/q42ctl\" --trace $args" >"$work/out" 2>"$work/err" </dev/null
  local status=$?
  local mask=(-e "s|$dev|{dev}|g" -e 's/^\[ *[0-9.]* ms\]/[t]/' -e 's/[0-9]\{4\}-[0-9-]*T[0-9:.]*Z/{time}/g')
  # How the bytes came in pieces is the machine's timing, not q42ctl's: the pieces received are left
  # out, and what was dropped is joined into one line a run.
  { echo "status $status"; sed "${mask[@]}" "$work/out"; sed "${mask[@]}" "$work/err" | grep -vE '^\[t\] .* received ' |
      awk '{ i = index($0, " dropped  ") }
           /^\[t\] / && i > 0 { head = substr($0, 1, i + 9); run = run substr($0, i + 10); next }
           run != "" { print head run; run = "" }
           { print }
           END { if (run != "") print head run }'; } >"$4"
  rm -f "$work/run.log" "$work/x" "$work/x.log" "$work/r.txt"
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
}

same=0
for row in "${rows[@]}"; do
  sim=${row%%|*}
  args=${row#*|}
  run "$old" "$sim" "$args" "$work/before"
  run "$new" "$sim" "$args" "$work/after"
  if diff "$work/before" "$work/after" >"$work/diff"; then
    same=$((same + 1))
  else
    echo "== differs: q42-unit-sim $sim; q42ctl --trace $args"
    cat "$work/diff"
  fi
done
echo "$same of ${#rows[@]} rows the same"
