#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run.
# Idempotent: packages already present are left alone, and apt is only
# asked when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
  libgl-dev libxkbcommon-dev
  libhidapi-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-fonttools
  fonts-liberation fonts-dejavu-core
  poppler-utils desktop-file-utils
  clang libclang-rt-14-dev
)

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
