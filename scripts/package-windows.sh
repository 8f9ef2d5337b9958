#!/usr/bin/env bash
# Builds the Windows packages into build/:
#   q42-panel-<version>-windows-x64.zip        q42-panel.exe and q42ctl.exe with exactly the Qt and
#                                               MinGW runtime DLLs they load, licences, README.txt
#   q42-panel-<version>-windows-x64-setup.exe  64-bit NSIS installer (all users, silent with /S)
#   q42-panel-<version>-windows-x64.msi        MSI for Group Policy, Intune or SCCM (wixl)
# then checks each under Wine in a fresh prefix (scripts/check-windows-packages.sh).
#   scripts/package-windows.sh [--screenshot]   the latter also renders the unpacked q42-panel.exe
#                                              under Wine into docs/screenshot-windows.png
# Installs whatever is missing first (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
scripts/install-deps.sh --windows
# The Linux programs the Windows build and its checks use: the icon drawing and the simulated unit.
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)" --target q42-unit-sim q42-screen-grab q42-icon-export
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
sed "s/@VERSION@/$version/" packaging/windows/readme.txt | sed 's/$/\r/' >"$stage/README.txt"
(cd build && zip -qr9 "$name.zip" "$name")
echo "build/$name.zip: $(du -k "build/$name.zip" | cut -f1) KiB, $(find "$stage" -name '*.dll' | wc -l) DLLs"

# The installers list exactly the staged files, so that the uninstaller removes those and no other.
lists=build/windows-package-lists
rm -rf "$lists" && mkdir -p "$lists"
winpath() { printf '%s' "$1" | tr '/' '\\'; }
(
  cd "$stage"
  for dir in . $(find . -mindepth 1 -type d | sed 's|^\./||' | sort); do
    if [ "$dir" = . ]; then echo '  SetOutPath "$INSTDIR"'; else echo "  SetOutPath \"\$INSTDIR\\$(winpath "$dir")\""; fi
    for file in $(find "$dir" -maxdepth 1 -type f | sed 's|^\./||' | sort); do
      echo "  File \"$top/$stage/$file\""
    done
  done
) >"$lists/files.nsh"
(
  cd "$stage"
  for file in $(find . -type f | sed 's|^\./||' | sort); do
    echo "  Delete \"\$INSTDIR\\$(winpath "$file")\""
  done
  for dir in $(find . -mindepth 1 -type d | sed 's|^\./||' | sort -r); do
    echo "  RMDir \"\$INSTDIR\\$(winpath "$dir")\""
  done
) >"$lists/remove.nsh"
(cd "$stage" && find . -type f | sed 's|^\./||' | sort) >"$lists/files.txt"
(cd "$stage" && find . -type f | sed 's|^\./||' | wixl-heat -p "" --component-group CG.files \
  --var var.SourceDir --directory-ref INSTALLDIR --win64) >"$lists/files.wxs"

# installer VERSION OUT: both kinds of installer of the staged files, under a given version (the
# check builds a later one to test upgrades).
installers() {
  local v=$1 out=$2
  makensis -V2 -DVERSION="$v" -DSTAGE="$top/$stage" -DFILES="$top/$lists/files.nsh" \
    -DREMOVE="$top/$lists/remove.nsh" -DOUT="$top/$out-setup.exe" packaging/windows/installer.nsi
  wixl -a x64 -D Version="$v" -D SourceDir="$stage" -D Icon=build-windows/q42-panel.ico -D Win64=yes \
    -o "$top/$out.msi" packaging/windows/q42-panel.wxs "$lists/files.wxs"
}
installers "$version" "build/$name"
echo "build/$name-setup.exe: $(du -k "build/$name-setup.exe" | cut -f1) KiB"
echo "build/$name.msi: $(du -k "build/$name.msi" | cut -f1) KiB"
if [ "${1:-}" != "--no-check" ]; then
  next=$(echo "$version" | awk -F. '{printf "%d.%d.%d", $1, $2, $3 + 1}')
  installers "$next" "$lists/q42-panel-$next-windows-x64"
  scripts/check-windows-packages.sh "build/$name" "$lists/q42-panel-$next-windows-x64" "$lists/files.txt"
fi
if [ "${1:-}" = "--screenshot" ]; then
  check=$(mktemp -d)
  unzip -q "build/$name.zip" -d "$check"
  Q42_HOST_BIN=$top/build-ci/bin scripts/screenshot.sh --windows "$check/$name" docs/screenshot-windows.png
  rm -rf "$check"
fi
