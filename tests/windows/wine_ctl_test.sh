#!/usr/bin/env bash
# q42ctl.exe under Wine against the simulated unit on COM1 and COM12: get, a port above 9 named in
# lower case, set with save and verify, save by port number, and a missing port's text; checks which
# frames the unit received.
set -euo pipefail
exe=${1:?usage: wine_ctl_test.sh Q42CTL_EXE UNIT_SIM}
sim=${2:?usage: wine_ctl_test.sh Q42CTL_EXE UNIT_SIM}
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/scripts/lib/wine.sh"
work=$(mktemp -d)
"$sim" --verbose >"$work/unit.out" 2>"$work/unit.log" &
trap 'kill $! 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/unit.out" ] && break; sleep 0.05; done
wine_env
wine_map_com 1 "$(head -n1 "$work/unit.out")"
wine_map_com 12 "$(head -n1 "$work/unit.out")"
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
echo "1 passed, 0 failed: q42ctl.exe under Wine on COM1 and com12"
