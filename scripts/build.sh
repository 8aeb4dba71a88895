#!/usr/bin/env bash
# Installs what is missing (what running and testing need, and the further setup groups
# given), then configures and builds everything, tests and benchmarks included, with the
# given preset (default: default).
#   scripts/build.sh [preset [group...]]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
bash scripts/setup.sh run test "$@"
# scripts/run.sh may have configured the tree without the tests; turn them on again.
cmake --preset "$preset" -DVIREO_BUILD_TESTS=ON -DVIREO_BUILD_BENCH=ON >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
