#!/usr/bin/env bash
# Checks the Windows packages under Wine, each in a fresh prefix, as IT and a technician use them:
# install silently; every file, the Start-menu entry and the uninstall entry are there; q42ctl.exe of
# the installed folder reads the simulated unit on COM1; the icon and the version can be read back
# from the installed q42-panel.exe; the same version again and a later one leave one entry, an
# earlier one is refused and changes nothing; a silent uninstall leaves nothing of ours, and a file
# of the user's in the folder survives. With Q42_SIGN_VERIFY_CA (a PEM certificate), every program
# and the MSI must carry a valid signature of it.
# The MSI of the version before (EARLIER, the same UpgradeCode as every release) is installed first
# and upgraded, as a site deploys a release over the last. The Qt DLLs must be of Qt 6.8.
#   scripts/check-windows-packages.sh BUILD/q42-panel-V-windows-x64 LATER/q42-panel-V2-windows-x64 FILES EARLIER.msi
# FILES lists the packaged files, one relative path a line.
set -euo pipefail
base=$(realpath "$1") later=$(realpath "$2") list=$(realpath "$3") earlier=$(realpath "$4")
earlier_version=${earlier##*/q42-panel-}; earlier_version=${earlier_version%-windows-x64.msi}
cd "$(dirname "$0")/.."
version=${base##*/q42-panel-}; version=${version%-windows-x64}
next=${later##*/q42-panel-}; next=${next%-windows-x64}
work=$(mktemp -d)
sim=
# Cleaning up never decides the verdict: the unit may have gone and Wine's server ended already.
cleanup() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  rm -rf "$work" || true
}
trap cleanup EXIT
"${Q42_HOST_BIN:-build-ci/bin}/q42-unit-sim" >"$work/unit" &
sim=$!
for _ in $(seq 100); do [ -s "$work/unit" ] && break; sleep 0.05; done
. scripts/lib/wine.sh
passed=0 failed=0
check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what" >&2; fi
}
fresh_prefix() {
  wineserver -k 2>/dev/null || true
  WINE_PREFIX_DIR=$work/prefix-$1 wine_env
  wine_map_com 1 "$(head -n1 "$work/unit")"
  drive=$WINEPREFIX/drive_c
  dir="$drive/Program Files/VARNEK-Q42 Panel"
}
# Wine writes the registry to disk when its server ends.
registry() { wineserver -w; cat "$WINEPREFIX/system.reg"; }
reads_unit() { wine "$1/q42ctl.exe" -r COM1 get l9_att_dl 2>/dev/null | tr -d '\r' | grep -qx 'L9 ATT_DL=10'; }
all_files_in() { while read -r f; do [ -f "$1/$f" ] || { echo "missing: $f" >&2; return 1; }; done <"$list"; }
no_file_in() { while read -r f; do [ ! -e "$1/$f" ] || { echo "left: $f" >&2; return 1; }; done <"$list"; }
# The icon group and the version strings Explorer shows, read back from the file itself.
resources() {
  wrestool -l "$1" | grep -q 'type=group_icon' &&
    wrestool -x --raw --type=16 "$1" | strings -el | tr '\n' '|' | grep -q "ProductName|VARNEK-Q42 Panel|ProductVersion|$version|"
}
# The entries "Apps & features" lists: uninstall keys named VARNEK-Q42 Panel.
entries() {
  registry | awk '/^\[/ { uninstall = index($0, "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\") == 1 }
                  uninstall && /^"DisplayName"="VARNEK-Q42 Panel"/ { n++ } END { print n + 0 }'
}
# The uninstall key of the MSI's product: the one whose DisplayName is ours.
msi_key() { registry | awk '/^\[/ { if (key ~ /"DisplayName"="VARNEK-Q42 Panel"/) print key; key = "" } { key = key $0 "\n" }
                              END { if (key ~ /"DisplayName"="VARNEK-Q42 Panel"/) print key }'; }
refused() { ! "$@" >/dev/null 2>&1; }
# Every file carries a valid Authenticode signature of the certificate given (Q42_SIGN_VERIFY_CA), when one is.
signed() {
  [ -z "${Q42_SIGN_VERIFY_CA:-}" ] && return 0
  local file
  for file; do
    osslsigncode verify -CAfile "$Q42_SIGN_VERIFY_CA" -in "$file" 2>&1 | grep -q '^Signature verification: ok' ||
      { echo "not signed as given: $file" >&2; return 1; }
  done
}
menu_entry() { find "$drive" -path '*Start Menu/Programs/VARNEK-Q42 Panel.lnk' | grep -q .; }
no_menu_entry() { ! menu_entry; }

# The zip: unpacked anywhere, nothing installed, nothing else on the DLL path.
fresh_prefix zip
unzip -q "$base.zip" -d "$work/zip"
check "q42ctl.exe of the unpacked zip reads the unit" reads_unit "$work/zip/${base##*/}"
qt_version() { wrestool -x --raw --type=16 "$1" | strings -el | tr '\n' '|' | grep -q '|ProductVersion|6\.8\.'; }
check "the zip's Qt DLLs are Qt 6.8" qt_version "$work/zip/${base##*/}/Qt6Core.dll"
check "the zip's programs and the MSI are signed" signed "$work/zip/${base##*/}/q42-panel.exe" \
  "$work/zip/${base##*/}/q42ctl.exe" "$base.msi"

# The MSI, the one installer. Wine's msiexec puts an all-users shortcut in the user's menu: that is
# Wine's doing.
fresh_prefix msi
wine msiexec /i "$earlier" /qn
wineserver -w
check "msi: $earlier_version installed first" grep -qF "\"DisplayVersion\"=\"$earlier_version\"" <<<"$(msi_key)"
wine msiexec /i "$base.msi" /qn
wineserver -w
check "msi: $version over $earlier_version leaves one entry" test "$(entries)" = 1
check "msi: every file installed" all_files_in "$dir"
check "msi: the installed Qt DLLs are Qt 6.8" qt_version "$dir/Qt6Core.dll"
check "msi: Start-menu entry" menu_entry
check "msi: one uninstall entry" test "$(entries)" = 1
key=$(msi_key)
for value in '"Publisher"="The q42-panel developers"' "\"DisplayVersion\"=\"$version\"" '"NoModify"=dword:00000001' \
  '"NoRepair"=dword:00000001' '"InstallLocation"="C:\\Program Files\\VARNEK-Q42 Panel'; do
  check "msi: uninstall entry has $value" grep -qF "$value" <<<"$key"
done
check "msi: q42ctl.exe of the installed folder reads the unit" reads_unit "$dir"
check "msi: icon and version of the installed q42-panel.exe" resources "$dir/q42-panel.exe"
check "msi: the installed programs are signed as packaged" signed "$dir/q42-panel.exe" "$dir/q42ctl.exe"
echo "the technician's notes" >"$dir/notes.txt"
wine msiexec /i "$base.msi" /qn
wineserver -w
check "msi: the same version again leaves one entry" test "$(entries)" = 1
wine msiexec /i "$later.msi" /qn
wineserver -w
check "msi: a later version replaces it as one entry" test "$(entries)" = 1
check "msi: the entry is the later version" grep -qF "\"DisplayVersion\"=\"$next\"" <<<"$(msi_key)"
check "msi: every file there after the upgrade" all_files_in "$dir"
before=$(cd "$dir" && find . -type f -exec md5sum {} + | sort)
check "msi: an earlier version over a later one is refused" refused wine msiexec /i "$base.msi" /qn
wineserver -w
check "msi: the refused downgrade changed nothing" test "$(cd "$dir" && find . -type f -exec md5sum {} + | sort)" = "$before"
check "msi: still one entry, the later version" grep -qF "\"DisplayVersion\"=\"$next\"" <<<"$(msi_key)"
wine msiexec /x "$later.msi" /qn
wineserver -w
check "msi: no file of ours left" no_file_in "$dir"
check "msi: the user's file survives" test -f "$dir/notes.txt"
check "msi: no Start-menu entry left" no_menu_entry
check "msi: no uninstall entry left" test "$(entries)" = 0
check "msi: no registry key of ours left" test "$(registry | grep -c '^\[Software\\\\q42-panel\]' || true)" = 0

echo "windows-packages: $passed passed, $failed failed"
[ "$failed" = 0 ]
