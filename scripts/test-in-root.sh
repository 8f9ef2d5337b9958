#!/usr/bin/env bash
# The Debian 13 stage of scripts/test.sh, run inside the root that scripts/debian13.sh makes: what a
# newcomer on Debian 13 (Qt 6.8, GCC 14) gets. Installs what is missing, builds with warnings as
# errors and runs the whole suite (the real-kernel stage among it, whose guest runs q42ctl on the
# root's Qt 6.8); then, given the Debian package built on Debian 12, installs it and runs it.
#   scripts/debian13.sh scripts/test-in-root.sh [build-ci/q42-panel_VERSION_amd64.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

scripts/install-deps.sh --kernel
echo "== Debian $(cat /etc/debian_version), Qt $(pkg-config --modversion Qt6Core): build and test (warnings as errors)"
cmake --preset ci-debian13 >/dev/null
cmake --build --preset ci-debian13 -j "$jobs"
ctest --preset ci-debian13 -j "$jobs" --no-tests=error

[ $# -gt 0 ] || exit 0
deb=$1
echo "== $(basename "$deb"), built on Debian 12, installed and run on Debian $(cat /etc/debian_version)"
work=$(mktemp -d)
sim=
# The root is kept for the next run: it is left without the package.
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"; apt-get purge -y -qq q42-panel >/dev/null 2>&1 || true' EXIT
cp "$deb" "$work/"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$work/$(basename "$deb")" >/dev/null
fail() { echo "deb on Debian 13: $*" >&2; exit 1; }
for program in q42-panel q42ctl q42-unit-sim; do
  if ldd "/usr/bin/$program" | grep -q 'not found'; then
    fail "$program lacks a library: $(ldd "/usr/bin/$program" | grep 'not found' | tr -s ' \t' ' ')"
  fi
done
status=0
timeout 3 /usr/bin/q42-panel 2>"$work/panel.err" || status=$?
[ "$status" -eq 124 ] || fail "q42-panel ended with status $status within 3 s instead of staying open: $(cat "$work/panel.err")"
/usr/bin/q42-unit-sim >"$work/sim" 2>/dev/null &
sim=$!
for _ in $(seq 100); do [ -s "$work/sim" ] && break; sleep 0.05; done
status=0
/usr/bin/q42ctl -r "$(head -n1 "$work/sim")" get --json >"$work/values.json" 2>"$work/ctl.err" || status=$?
[ "$status" -eq 0 ] || fail "q42ctl get exited $status: $(cat "$work/ctl.err")"
grep -q '"L9 ATT_DL": 10' "$work/values.json" || fail "q42ctl get printed no values: $(head -c 300 "$work/values.json")"
echo "deb on Debian 13: installed; q42-panel stays open, $(/usr/bin/q42ctl --version | head -n1) read the simulated unit"
