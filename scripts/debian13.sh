#!/usr/bin/env bash
# Runs a command in a Debian 13 root with this checkout at /src, as a newcomer on Debian 13 would:
#   scripts/debian13.sh scripts/test.sh --here
# The root is made once with mmdebstrap from the archive this machine's apt uses, kept in
# Q42_DEBIAN13_ROOT (default ~/.cache/q42-panel/debian13), and reused while its completion mark is
# there; a half-made root is made afresh. Everything runs in its own mount and process namespaces,
# so every mount and every process started in the root ends with the command.
# Needs root (the root's packages are installed by apt inside it).
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$(pwd)

[ $# -gt 0 ] || { echo "debian13: give the command to run in the root, e.g. scripts/test.sh --here" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "debian13: making and entering the Debian 13 root needs root; run this script as root" >&2; exit 1; }

root=${Q42_DEBIAN13_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/q42-panel/debian13}
mark=$root/.q42-root-complete

# The mirror this machine already reaches; the public one on a machine that names none.
mirror=$(grep -rhoE '^(URIs:|deb) +https?://[^ ]+/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
         head -n1 | awk '{print $2}' || true)
mirror=${mirror:-http://deb.debian.org/debian}

if [ ! -f "$mark" ]; then
  scripts/install-deps.sh --root-maker
  # Never across a mount: a root left mounted by a killed run keeps the host's files safe.
  rm -rf --one-file-system "$root" "$root.part"
  mkdir -p "$(dirname "$root")"
  echo "debian13: making the Debian 13 root in $root from $mirror" >&2
  mmdebstrap --quiet --mode=unshare --variant=apt --include=ca-certificates,sudo trixie "$root.part" "$mirror"
  mv "$root.part" "$root"
  date -u +%FT%TZ >"$mark"
fi

# The root's own apt lists go stale; install-deps updates them when it installs anything.
exec unshare --mount --pid --fork --propagation private -- bash -euo pipefail -c '
  root=$1 tree=$2; shift 2
  mount --rbind /dev "$root/dev"
  mount -t proc proc "$root/proc"
  mount --rbind /sys "$root/sys"
  mount -t tmpfs tmpfs "$root/tmp"
  mkdir -p "$root/src"
  mount --bind "$tree" "$root/src"
  # The kits beside the checkout (../shared), read-only, where the checkout expects them.
  if [ -d "$tree/../shared" ]; then
    mkdir -p "$root/shared"
    mount --bind "$tree/../shared" "$root/shared"
    mount -o remount,bind,ro "$root/shared"
  fi
  cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
  exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 CI="${CI:-}" Q42_FUZZ_SECONDS="${Q42_FUZZ_SECONDS:-}" bash -c "cd /src && exec \"\$@\"" bash "$@"
' bash "$root" "$tree" "$@"
