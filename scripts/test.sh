#!/usr/bin/env bash
# Builds q42-panel with warnings as errors and runs every test: the RelWithDebInfo build, then the
# whole suite again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
# Installs whatever is missing first (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build and test (warnings as errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

echo "== build and test under sanitizers"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
