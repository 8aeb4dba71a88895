#!/usr/bin/env bash
# Renders docs/screenshot.png: the window after a few decoded frames, on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
build/default/tools/vireo-screenshot/vireo-screenshot docs/screenshot.png
