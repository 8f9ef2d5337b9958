#!/usr/bin/env bash
# Runs two builds of q42ctl side by side over the same rows (the fault rows of the tests, each with
# --trace) against fresh simulated units, and prints each row whose standard output, standard error
# (trace times and device names left out) or exit status differ, with the difference.
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
)

# Starts a unit with the given options and sets dev to its device. Not in a subshell: the unit ends
# with the process that started it.
unit() {
  local out=$work/unit
  "$new/q42-unit-sim" "$@" >"$out" 2>/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.02; done
  dev=$(head -n1 "$out")
}

run() {  # BIN SIMOPTS ARGS RESULT: "status", standard output, standard error, the unit's device and times masked
  # shellcheck disable=SC2086
  unit $2
  local args=${3//\{dev\}/$dev}
  # shellcheck disable=SC2086
  "$1/q42ctl" --trace $args >"$work/out" 2>"$work/err"
  { echo "status $?"; cat "$work/out"; sed -e "s|$dev|{dev}|g" -e 's/^\[ *[0-9.]* ms\]/[t]/' "$work/err"; } >"$4"
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
