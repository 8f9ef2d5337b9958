#!/usr/bin/env bash
# Builds q42-panel with warnings as errors and runs every test: the RelWithDebInfo build, the whole
# suite again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, a bounded
# libFuzzer run over the receive path and q42ctl's value readers, and the Windows programs
# cross-built and tested under Wine, packaged, installed and removed again.
# Installs whatever is missing first (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --windows

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build and test (warnings as errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs" --no-tests=error

echo "== build and test under sanitizers"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" --no-tests=error

echo "== fuzz the receive path and q42ctl's value readers for ${Q42_FUZZ_SECONDS:-60} s"
cmake --preset fuzz -DQ42_FUZZ_SECONDS="${Q42_FUZZ_SECONDS:-60}" >/dev/null
cmake --build --preset fuzz -j "$jobs" --target receive_path_fuzzer values_input_fuzzer
ctest --preset fuzz --no-tests=error

echo "== cross-build for Windows and test under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
QT_QPA_PLATFORM= ctest --preset windows --no-tests=error

echo "== the Windows zip, setup.exe and MSI, installed, upgraded and removed under Wine"
QT_QPA_PLATFORM= scripts/package-windows.sh
