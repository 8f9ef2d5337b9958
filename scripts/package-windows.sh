#!/usr/bin/env bash
# Builds build/q42-panel-<version>-windows-x64.zip: q42-panel.exe and q42ctl.exe with the Qt and MinGW
# runtime DLLs they load and nothing else, the licence texts and a README.txt; with makensis also
# an installer. Then unpacks the zip into an empty folder and checks it under Wine with nothing else
# installed: q42ctl.exe reads the simulated unit on COM1.
#   scripts/package-windows.sh [--screenshot]   the latter also renders the unpacked q42-panel.exe
#                                              under Wine into docs/screenshot-windows.png
# Installs whatever is missing first (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
scripts/install-deps.sh --windows
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target q42-unit-sim q42-screen-grab
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target q42-panel q42ctl
qt=$(sed -n 's/^Q42_QT_MINGW:PATH=//p' build-windows/CMakeCache.txt)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
name=q42-panel-$version-windows-x64
stage=build/$name
rm -rf "$stage" "build/$name.zip"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/licenses"
cp build-windows/bin/q42-panel.exe build-windows/bin/q42ctl.exe "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

# The DLLs the programs and plugins import, and theirs in turn, from the kit and the MinGW runtime.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'; }
todo=("$stage"/*.exe "$stage"/platforms/*.dll "$stage"/styles/*.dll)
while [ ${#todo[@]} -gt 0 ]; do
  file=${todo[0]}; todo=("${todo[@]:1}")
  for dll in $(imports "$file"); do
    [ -e "$stage/$dll" ] && continue
    if [ -e "$qt/bin/$dll" ]; then
      cp "$qt/bin/$dll" "$stage/"
      todo+=("$stage/$dll")
    fi
  done
done

cp -r "$qt/LICENSES/"* "$stage/licenses/"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/mingw-w64-gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64-winpthreads.txt"
sed "s/@VERSION@/$version/" packaging/windows-readme.txt | sed 's/$/\r/' >"$stage/README.txt"
(cd build && zip -qr9 "$name.zip" "$name")
echo "build/$name.zip: $(du -k "build/$name.zip" | cut -f1) KiB, $(find "$stage" -name '*.dll' | wc -l) DLLs"

if command -v makensis >/dev/null; then
  makensis -V2 -DVERSION="$version" -DSTAGE="$top/$stage" -DOUT="$top/build/$name-setup.exe" packaging/windows-installer.nsi
  echo "build/$name-setup.exe: $(du -k "build/$name-setup.exe" | cut -f1) KiB"
fi

# The zip alone, in an empty folder and a fresh Wine prefix: no kit on the DLL path.
check=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; rm -rf "$check"' EXIT
unzip -q "build/$name.zip" -d "$check"
build/bin/q42-unit-sim >"$check/unit" &
sim=$!
for _ in $(seq 100); do [ -s "$check/unit" ] && break; sleep 0.05; done
. scripts/lib/wine.sh
WINE_PREFIX_DIR=$check/prefix wine_env
wine_map_com 1 "$(head -n1 "$check/unit")"
wine "$check/$name/q42ctl.exe" -r COM1 get l9_att_dl | tr -d '\r' | grep -qx 'L9 ATT_DL=10' ||
  { echo "package-windows: q42ctl.exe from the zip did not read the unit on COM1" >&2; exit 1; }
echo "checked: q42ctl.exe from the unpacked zip reads the simulated unit on COM1 under Wine"
if [ "${1:-}" = "--screenshot" ]; then
  scripts/screenshot.sh --windows "$check/$name" docs/screenshot-windows.png
fi
