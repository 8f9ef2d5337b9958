#!/usr/bin/env bash
# Runs a Windows program of this project under Wine, with the Qt for MinGW it was built against on
# the DLL search path: the test runner of the Windows build, and handy by hand.
#   scripts/wine-run.sh build-windows/bin/q42ctl.exe -r COM1 get
set -euo pipefail
. "$(dirname "$0")/lib/wine.sh"
wine_env
qt=${Q42_QT_MINGW:-$(cd "$(dirname "$0")/.." && pwd)/build-windows/qt6-mingw}
export WINEPATH="$(winepath -w "$qt/bin" 2>/dev/null)"
export QT_PLUGIN_PATH="$(winepath -w "$qt/plugins" 2>/dev/null)"
exec wine "$@"
