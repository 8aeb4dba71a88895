#!/usr/bin/env bash
# Builds the Debian package as a distribution would: a plain Release configuration without
# the tests, the binary stripped, with its manual page, changelog, copyright and AppStream
# metadata. Checks the metadata with appstreamcli and the package with lintian (no error, no
# warning). With --install-check (CI, as root) it also installs the package on this machine,
# checks that the program is on PATH with a valid desktop entry, a manual page and the udev
# rule, that the recorder is on PATH with its manual page and a service template systemd
# accepts, and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run dev
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DVIREO_BUILD_TESTS=OFF -DVIREO_BUILD_BENCH=OFF >/dev/null
# A packager's build must not need the test libraries.
if grep -E '^(GTest_DIR|benchmark_DIR|Qt6Test_DIR):' "$build/CMakeCache.txt"; then
  echo "The Release build without tests looked up a test library." >&2
  exit 1
fi
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/vireo-link_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vireo-link_*.deb)
echo "Built $deb"
appstreamcli validate --no-net packaging/*.metainfo.xml
# lintian warns about itself when run as root; the package is checked the same either way.
lintian_cmd=(lintian)
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  lintian_cmd=(setpriv --reuid=nobody --regid=nogroup --clear-groups lintian)
fi
"${lintian_cmd[@]}" --fail-on error,warning "$deb"
echo "lintian: no error, no warning."
if [ "${1:-}" = "--install-check" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "./$deb" >/dev/null
  command -v vireo
  desktop-file-validate /usr/share/applications/vireo.desktop
  man -w vireo >/dev/null
  dpkg -L vireo-link | grep -q '/udev/rules.d/60-vireo.rules$'
  test -f /usr/share/icons/hicolor/32x32/apps/vireo.png
  command -v vireo-record
  man -w vireo-record >/dev/null
  unit=$(dpkg -L vireo-link | grep '/systemd/system/vireo-record@.service$')
  # A template is checked as one of its instances.
  instance=$(mktemp -d)
  cp "$unit" "$instance/vireo-record@ttyS0.service"
  systemd-analyze verify "$instance/vireo-record@ttyS0.service"
  rm -r "$instance"
  apt-get purge -y -qq vireo-link >/dev/null
  echo "Package installs, puts vireo on PATH with a valid desktop entry and vireo-record with"
  echo "its manual page and service, and removes cleanly."
fi
