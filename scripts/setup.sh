#!/usr/bin/env bash
# Installs the Debian packages the project needs, by purpose:
#   scripts/setup.sh [run] [test] [dev]
#   run   build and run the program (the default)
#   test  build and run the test suite and the benchmarks
#   dev   what CI and developers add: clang and its runtime for the fuzzers and sanitizers,
#         the format check, lintian, AppStream, the desktop-entry check, systemd's unit check,
#         Xvfb and perf for the CPU benchmark, ccache
# Each script asks for the groups it uses. Idempotent: packages already present are left
# alone, and apt is only asked when something is missing.
set -euo pipefail

group_run=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
  libgl-dev libxkbcommon-dev
  libhidapi-dev libudev-dev
  python3 python3-fonttools
  fonts-liberation fonts-dejavu-core
)
group_test=(
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils
)
group_dev=(
  clang libclang-rt-14-dev clang-format
  lintian appstream desktop-file-utils systemd
  xvfb xdotool x11-utils linux-perf
  ccache
)

groups=("$@")
if [ ${#groups[@]} -eq 0 ]; then
  groups=(run)
fi

packages=()
for group in "${groups[@]}"; do
  case "$group" in
    run) packages+=("${group_run[@]}") ;;
    test) packages+=("${group_test[@]}") ;;
    dev) packages+=("${group_dev[@]}") ;;
    *)
      echo "usage: scripts/setup.sh [run] [test] [dev]" >&2
      exit 2
      ;;
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

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
