#!/usr/bin/env bash
# Builds q42-panel with warnings as errors and runs every test: the RelWithDebInfo build (with a
# stage on Debian's own kernel under QEMU), the same build and suite in a Debian 13 root (Qt 6.8)
# with the Debian package built here installed and run there, the whole
# suite again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, a bounded
# libFuzzer run over the receive path and q42ctl's value readers, and the Windows programs on Qt 6.8
# cross-built and tested under Wine 10 (in the Debian 13 root), packaged and signed, installed and
# removed again (scripts/test-windows.sh).
# Installs whatever is missing first (Debian 12 or 13; the Debian 13 root is made and entered as root,
# through sudo when run as a user).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --kernel --packaging

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Each stage says its name, and the time of the one before it, so a slow stage is seen in CI's log.
stage_name=
stage_started=$(date +%s)
stage() {
  local now
  now=$(date +%s)
  [ -z "$stage_name" ] || echo "== $stage_name: $((now - stage_started)) s"
  stage_name=$1
  stage_started=$now
  [ -z "$1" ] || echo "== $1"
}
trap 'stage ""' EXIT

stage "build and test (warnings as errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs" --no-tests=error

if [ "$(. /etc/os-release; echo "$VERSION_ID")" = 13 ]; then
  echo "== Debian 13 here: the stage above was the Debian 13 stage"
else
  stage "the Debian package, then the build and suite again in a Debian 13 root"
  (cd build-ci && cpack -G DEB >/dev/null)
  deb=$(ls -t build-ci/q42-panel_*.deb | head -n1)
  root_runner=()
  [ "$(id -u)" -eq 0 ] || root_runner=(sudo)
  "${root_runner[@]}" scripts/debian13.sh scripts/test-in-root.sh "$deb"
fi

stage "build and test under sanitizers"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" --no-tests=error

stage "fuzz the receive path and q42ctl's value readers for ${Q42_FUZZ_SECONDS:-60} s"
cmake --preset fuzz -DQ42_FUZZ_SECONDS="${Q42_FUZZ_SECONDS:-60}" >/dev/null
cmake --build --preset fuzz -j "$jobs" --target receive_path_fuzzer values_input_fuzzer
ctest --preset fuzz --no-tests=error

if [ "$(. /etc/os-release; echo "$VERSION_ID")" = 13 ]; then
  stage "the Windows programs on Qt 6.8: built, tested under Wine, packaged, installed and removed"
  scripts/test-windows.sh
else
  stage "the Windows programs on Qt 6.8, in the Debian 13 root: built, tested under Wine, packaged, installed and removed"
  "${root_runner[@]}" scripts/debian13.sh scripts/test-windows.sh --host-preset ci-debian13
fi
