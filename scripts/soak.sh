#!/usr/bin/env bash
# The long runs: 100,000 frames at line rate, and the port taken away and restored 100 times.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
ctest --preset soak
