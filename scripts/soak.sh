#!/usr/bin/env bash
# The long runs: 100,000 frames at line rate, and the port taken away and restored 100 times.
# These are the counts for a release, whatever the environment asks for (CI runs them shorter).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
env -u VIREO_SOAK_FRAMES -u VIREO_SOAK_CYCLES ctest --preset soak
