#!/usr/bin/env bash
# Installs what building, running and testing q42-panel needs on Debian 12 or 13 (the package names
# are the same); with --packaging also
# what building and checking the Debian package needs, with --windows what cross-building the
# Windows programs and running them under Wine needs, with --kernel what the real-kernel stage needs,
# with --root-maker what making the Debian 13 root of scripts/debian13.sh needs.
# Idempotent: packages already present are not touched, and apt is only asked when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev libxcb1-dev
  clang libclang-rt-dev
  fonts-arphic-uming
  xvfb xauth x11-utils xdotool
)
for option in "$@"; do
  case $option in
    --packaging) packages+=(dpkg-dev desktop-file-utils appstream man-db) ;;
    --kernel) packages+=(qemu-system-x86 busybox-static cpio python3) ;;
    --root-maker) packages+=(mmdebstrap uidmap) ;;
    --windows) packages+=(g++-mingw-w64-x86-64-posix qt6-base-dev-tools wine wine64 zip unzip wixl msitools icoutils osslsigncode openssl uuid-runtime python3) ;;
    *) echo "install-deps: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and no sudo; run this script as root" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
