# Shared by the scripts that run the Windows programs under Wine: a private prefix, and COM ports
# mapped to pseudo-terminals. Source it.
#   WINE_PREFIX_DIR   the prefix folder (default: build-windows/wine-prefix of this checkout)
#   Q42_HOST_BIN      the Linux build's programs (default: build-ci/bin of this checkout)

wine_env() {
  local top shim
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  export WINEPREFIX=${WINE_PREFIX_DIR:-$top/build-windows/wine-prefix}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  # The simulated unit's pseudo-terminal shows Wine an adapter's modem lines (Wine 10 needs them).
  shim=${Q42_HOST_BIN:-$top/build-ci/bin}/libq42-pty-modem-lines.so
  [ ! -f "$shim" ] || export LD_PRELOAD=$shim
  mkdir -p "$WINEPREFIX"
  # A new prefix takes some seconds to set up; later starts are quick.
  [ -f "$WINEPREFIX/system.reg" ] || { wine wineboot --init >/dev/null 2>&1; wineserver -w; }
}

# Maps COM<n> to a device for every program started afterwards. Wine rewrites dosdevices at each
# start and falls back to /dev/ttyS<n-1> (here the kernel's console), so the registry must say it
# before the server starts, and the link is checked before anything runs.
wine_map_com() {
  local n=$1 device=$2
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$device" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
  ln -sfn "$device" "$WINEPREFIX/dosdevices/com$n"
  wine cmd /c exit >/dev/null 2>&1   # starts the server, which rewrites the links from the registry
  local link
  link=$(readlink "$WINEPREFIX/dosdevices/com$n")
  if [ "$link" != "$device" ]; then
    echo "wine: COM$n points at '$link', not $device; refusing to run" >&2
    return 1
  fi
}
