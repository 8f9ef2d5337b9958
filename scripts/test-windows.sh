#!/usr/bin/env bash
# The Windows stage of scripts/test.sh: cross-builds the Windows programs with warnings as errors
# against the Qt 6.8 kit (whose host tools, moc, rcc and uic, must be 6.8: Debian 13's), runs their
# tests under Wine 10, then builds the zip and the MSI, signed with a throw-away certificate, and
# installs, upgrades and removes them under Wine. On Debian 12, scripts/test.sh runs it in the
# Debian 13 root; on Debian 13 it runs here.
#   scripts/test-windows.sh [--host-preset ci-debian13]   the Linux build whose programs it uses
set -euo pipefail
cd "$(dirname "$0")/.."
host_preset=ci
[ "${1:-}" != --host-preset ] || host_preset=${2:?--host-preset needs a preset}
scripts/install-deps.sh --windows --packaging
jobs=$(nproc)
host_dir=$(python3 -c 'import json, sys; print([p["binaryDir"] for p in json.load(open("CMakePresets.json"))["configurePresets"] if p["name"] == sys.argv[1]][0].replace("${sourceDir}/", ""))' "$host_preset")
export Q42_HOST_PRESET=$host_preset Q42_HOST_BIN=$PWD/$host_dir/bin

echo "== Windows on Qt 6.8, Debian $(cat /etc/debian_version), $(wine --version): build and test under Wine"
cmake --preset "$host_preset" >/dev/null
cmake --build --preset "$host_preset" -j "$jobs" --target q42-unit-sim q42-screen-grab q42-icon-export q42-pty-modem-lines
cmake --preset windows -DQ42_HOST_BIN="$Q42_HOST_BIN" >/dev/null
cmake --build --preset windows -j "$jobs"
QT_QPA_PLATFORM= ctest --preset windows --no-tests=error

echo "== the Windows zip and MSI, signed with a throw-away certificate, installed, upgraded and removed under Wine"
cert=$(mktemp -d)
trap 'rm -rf "$cert"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=q42-panel CI throw-away signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$cert/key.pem" -out "$cert/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/signer.p12" -passout pass:ci
QT_QPA_PLATFORM= Q42_SIGN_PKCS12=$cert/signer.p12 Q42_SIGN_PASSWORD=ci Q42_SIGN_VERIFY_CA=$cert/cert.pem \
  scripts/package-windows.sh
