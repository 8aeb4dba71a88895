#!/usr/bin/env bash
# Builds the Debian package. With --install-check (CI, as root) it also installs the package
# on this machine, checks that the program is on PATH and its desktop entry is valid, and
# removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
(cd build/default && cpack -G DEB >/dev/null)
deb=$(ls build/default/vireo-link_*.deb)
echo "Built $deb"
if [ "${1:-}" = "--install-check" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "./$deb" >/dev/null
  command -v vireo
  desktop-file-validate /usr/share/applications/vireo.desktop
  test -f /usr/lib/udev/rules.d/60-vireo.rules
  test -f /usr/share/icons/hicolor/32x32/apps/vireo.png
  apt-get remove -y -qq vireo-link >/dev/null
  echo "Package installs, puts vireo on PATH with a valid desktop entry, and removes cleanly."
fi
