#!/usr/bin/env bash
# q42ctl.exe under Wine against the simulated unit on COM1 and COM12: get, a port above 9 named in
# lower case, set with save and verify, save by port number, a missing port's text and an adapter
# pulled mid-answer; checks which frames the unit received. Then two runs at once, on COM1 and on a second unit on COM2, appending to
# one --log: each line whole.
set -euo pipefail
exe=${1:?usage: wine_ctl_test.sh Q42CTL_EXE UNIT_SIM}
sim=${2:?usage: wine_ctl_test.sh Q42CTL_EXE UNIT_SIM}
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/scripts/lib/wine.sh"
work=$(mktemp -d)
"$sim" --verbose >"$work/unit.out" 2>"$work/unit.log" &
sims=($!)
"$sim" >"$work/unit2.out" 2>/dev/null &
sims+=($!)
trap 'kill "${sims[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/unit.out" ] && [ -s "$work/unit2.out" ] && break; sleep 0.05; done
wine_env
wine_map_com 1 "$(head -n1 "$work/unit.out")"
wine_map_com 12 "$(head -n1 "$work/unit.out")"
wine_map_com 2 "$(head -n1 "$work/unit2.out")"
ctl() { "$top/scripts/wine-run.sh" "$exe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*"; cat "$work/unit.log"; exit 1; }

[ "$(ctl -r COM1 get l9_att_dl sleep_mode)" = $'L9 ATT_DL=10\nSleep Mode=OFF' ] || fail "get"
[ "$(ctl -r com12 get l9_att_dl)" = 'L9 ATT_DL=10' ] || fail "get on com12"
out=$(ctl -r COM1 set l9_att_dl=33 iso_time_minutes=150 --save --verify)
[ "$out" = $'ISO TIME MINUTES: 120 -> 150\nL9 ATT_DL: 10 -> 33' ] || fail "set printed: $out"
ctl -p 1 save || fail "save on port number 1"
set +e
err=$("$top/scripts/wine-run.sh" "$exe" -r COM9 get 2>&1 >/dev/null)
rc=$?
set -e
[ "$rc" = 3 ] && [[ $err == "COM9: the device does not exist. "* ]] || fail "COM9 gave $rc: $err"
commands=$(sed -n 's/^q42-unit-sim: got :FF\(..\).*/\1/p' "$work/unit.log" | tr '\n' ' ')
[ "$commands" = "21 21 21 23 06 21 06 " ] || fail "the unit got: $commands"

# The adapter pulled while q42ctl waits for an answer (the unit's pseudo-terminal closed): gone,
# not mistaken for an operation the system aborted, and said so.
"$sim" --no-answer >"$work/unit3.out" 2>/dev/null &
pulled=$!
sims+=($pulled)
for _ in $(seq 100); do [ -s "$work/unit3.out" ] && break; sleep 0.05; done
wine_map_com 3 "$(head -n1 "$work/unit3.out")"
(sleep 3; kill "$pulled") &
set +e
"$top/scripts/wine-run.sh" "$exe" -r COM3 -t 8000 --log "Z:$work/pulled.jsonl" get >/dev/null 2>"$work/pulled.err"
rc=$?
set -e
err=$(tr -d '\r' <"$work/pulled.err")
[ "$rc" = 4 ] && [[ $err == "COM3: the device COM3 went away"* ]] && grep -q '"status": *4' "$work/pulled.jsonl" ||
  fail "the pulled COM3 gave $rc: $err"

# doctor: the device manager's adapters read (or said unread), the unit found on COM1, in the
# window's terms; only the query goes out.
json=$(ctl -r COM1 doctor --json) || fail "doctor: $json"
python3 - "$json" <<'PY' || fail "doctor printed: $json"
import json, sys
report = json.loads(sys.argv[1])
assert [(a["device"], a["baud"], a["port"]) for a in report["answered"]] == [("COM1", 57600, 1)], report["answered"]
assert report["system"].startswith("q42ctl 1.1.0 on Windows"), report["system"]
kinds = [f["kind"] for f in report["findings"]]
assert "unit-answered" in kinds and all(k in ("unit-answered", "not-visible", "device-problem") for k in kinds), kinds
print("doctor under Wine:", kinds)
PY
commands=$(sed -n 's/^q42-unit-sim: got :FF\(..\).*/\1/p' "$work/unit.log" | tr '\n' ' ')
[ "$commands" = "21 21 21 23 06 21 06 21 " ] || fail "after doctor the unit got: $commands"

# Two runs at once append to one log (Z: is Wine's name for /); each line is one whole JSON object.
ctl -r COM1 --log "Z:$work/bench.jsonl" --unit-id one set l9_att_dl=34 >/dev/null &
first=$!
ctl -r COM2 --log "Z:$work/bench.jsonl" --unit-id two set l9_att_dl=35 >/dev/null &
wait "$first" $!
python3 - "$work/bench.jsonl" <<'PY' || fail "the shared log: $(cat "$work/bench.jsonl")"
import json, sys
records = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
units = sorted((r["unit"], r["device"], r["status"], r["changes"][0]["new"]) for r in records)
assert units == [("one", "COM1", 0, 34), ("two", "COM2", 0, 35)], units
PY
echo "1 passed, 0 failed: q42ctl.exe under Wine on COM1 and com12, doctor, and two runs sharing one log"
