#!/usr/bin/env bash
# Builds the Windows packages into build/:
#   q42-panel-<version>-windows-x64.zip        q42-panel.exe and q42ctl.exe with exactly the Qt and
#                                               MinGW runtime DLLs they load, licences, README.txt
#   q42-panel-<version>-windows-x64.msi        the one installer, per machine: for Group Policy,
#                                               Intune, SCCM and an administrator by hand (wixl)
# then checks each under Wine in a fresh prefix (scripts/check-windows-packages.sh).
# Signing with the company's Authenticode key, before anything is packaged:
#   Q42_SIGN_PKCS12=key.p12 [Q42_SIGN_PASSWORD=...]   osslsigncode with a key in a file, or
#   Q42_SIGN_COMMAND="cmd args"                       a command given each file's path last
#                                                      (a hardware token, a signing service)
#   Q42_SIGN_TIMESTAMP_URL=http://...                 timestamped, with either
# Without either, the packages are built unsigned, and the script says so.
#   scripts/package-windows.sh [--screenshot]   the latter also renders the unpacked q42-panel.exe
#                                              under Wine into docs/screenshot-windows.png
# Needs Debian 13's Qt host tools (6.8): run it in the Debian 13 root on Debian 12
# (scripts/debian13.sh scripts/package-windows.sh, with Q42_HOST_PRESET=ci-debian13 and Q42_HOST_BIN
# set as scripts/test-windows.sh sets them). Installs whatever is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
scripts/install-deps.sh --windows --packaging
# The Linux programs the Windows build and its checks use: the icon drawing, the simulated unit and
# what gives its pseudo-terminal an adapter's modem lines under Wine.
host_preset=${Q42_HOST_PRESET:-ci}
export Q42_HOST_BIN=${Q42_HOST_BIN:-$top/build-ci/bin}
cmake --preset "$host_preset" >/dev/null
cmake --build --preset "$host_preset" -j "$(nproc)" --target q42-unit-sim q42-screen-grab q42-icon-export q42-pty-modem-lines
cmake --preset windows -DQ42_HOST_BIN="$Q42_HOST_BIN" >/dev/null
cmake --build --preset windows -j "$(nproc)" --target q42-panel q42ctl
qt=$(sed -n 's/^Q42_QT_MINGW:PATH=//p' build-windows/CMakeCache.txt)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
name=q42-panel-$version-windows-x64
stage=build/$name
rm -rf "$stage" "build/$name.zip"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/licenses"
cp build-windows/bin/q42-panel.exe build-windows/bin/q42ctl.exe "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
. scripts/lib/sign.sh
sign_files "$stage"/*.exe
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qmodernwindowsstyle.dll" "$stage/styles/"

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

if [ -d "$qt/LICENSES" ]; then
  cp -r "$qt/LICENSES/"* "$stage/licenses/"
else
  # The Qt 6.8 kit carries no licence folder: the licence texts as Debian ships them, and the
  # copyright of the Debian sources the kit was built from (Qt is used under the LGPL-3.0).
  mkdir -p "$stage/licenses/qt"
  for text in LGPL-3:LGPL-3.0-only GPL-2:GPL-2.0-only GPL-3:GPL-3.0-only; do
    cp "/usr/share/common-licenses/${text%%:*}" "$stage/licenses/qt/${text#*:}.txt"
  done
  cp /usr/share/doc/libqt6core6*/copyright "$stage/licenses/qt/qtbase-copyright.txt"
  cp /usr/share/doc/libqt6serialport6*/copyright "$stage/licenses/qt/qtserialport-copyright.txt"
fi
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/mingw-w64-gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64-winpthreads.txt"
sed "s/@VERSION@/$version/" packaging/windows/readme.txt | sed 's/$/\r/' >"$stage/README.txt"
(cd build && zip -qr9 "$name.zip" "$name")
echo "build/$name.zip: $(du -k "build/$name.zip" | cut -f1) KiB, $(find "$stage" -name '*.dll' | wc -l) DLLs"

# The MSI lists exactly the staged files, so that its uninstall removes those and no other.
lists=build/windows-package-lists
rm -rf "$lists" && mkdir -p "$lists"
(cd "$stage" && find . -type f | sed 's|^\./||' | sort) >"$lists/files.txt"
(cd "$stage" && find . -type f | sed 's|^\./||' | wixl-heat -p "" --component-group CG.files \
  --var var.SourceDir --directory-ref INSTALLDIR --win64) >"$lists/files.wxs"

# msi VERSION OUT: the MSI of the staged files under a given version (the check builds a later one to
# test upgrades and downgrades), signed like the programs.
msi() {
  # One ProductCode per version, made from the UpgradeCode: every build of a version is one product.
  local upgrade product
  upgrade=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' packaging/windows/q42-panel.wxs)
  product=$(uuidgen --sha1 --namespace "$upgrade" --name "$1" | tr a-z A-Z)
  wixl -a x64 -D Version="$1" -D ProductCode="$product" -D SourceDir="$stage" -D Icon=build-windows/q42-panel.ico -D Win64=yes \
    -o "$top/$2.msi" packaging/windows/q42-panel.wxs "$lists/files.wxs"
  sign_files "$top/$2.msi"
}
msi "$version" "build/$name"
echo "build/$name.msi: $(du -k "build/$name.msi" | cut -f1) KiB"
if [ "${1:-}" != "--no-check" ]; then
  next=$(echo "$version" | awk -F. '{printf "%d.%d.%d", $1, $2, $3 + 1}')
  msi "$next" "$lists/q42-panel-$next-windows-x64"
  # The release sites have installed: 1.0.0, the MSI of the same UpgradeCode, to be upgraded.
  msi 1.0.0 "$lists/q42-panel-1.0.0-windows-x64"
  scripts/check-windows-packages.sh "build/$name" "$lists/q42-panel-$next-windows-x64" "$lists/files.txt" \
    "$lists/q42-panel-1.0.0-windows-x64.msi"
fi
if [ "${1:-}" = "--screenshot" ]; then
  check=$(mktemp -d)
  unzip -q "build/$name.zip" -d "$check"
  scripts/screenshot.sh --windows "$check/$name" docs/screenshot-windows.png
  rm -rf "$check"
fi
