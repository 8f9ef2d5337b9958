#!/usr/bin/env bash
# Builds the Debian package build/q42-panel_<version>_<arch>.deb and checks its desktop entry,
# AppStream metadata and man pages. Installs whatever is missing first (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --packaging
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target q42-panel q42-unit-sim q42ctl q42-install-data
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/q42-panel_*.deb | head -n1)

desktop-file-validate packaging/q42-panel.desktop
appstreamcli validate --no-net packaging/io.q42panel.panel.metainfo.xml
bash -n packaging/q42ctl.bash-completion
for page in docs/man/*.1; do
  MANWIDTH=80 man -l "$page" >/dev/null 2>"$page.err" || { cat "$page.err" >&2; rm -f "$page.err"; exit 1; }
  rm -f "$page.err"
done
echo "$deb"
