#!/usr/bin/env bash
# Installs what running needs, builds the program, and starts it. Unless COM1 is already
# bound to a device (VIREO_COM1), a simulated meter is started on a pseudo-terminal and bound
# to COM1: click "COM Connect" to see live readings without a meter.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
bin=build/default
# Running needs neither the tests nor the benchmarks; scripts/test.sh turns them on later.
if [ ! -f "$bin/CMakeCache.txt" ]; then
  cmake --preset default -DVIREO_BUILD_TESTS=OFF -DVIREO_BUILD_BENCH=OFF >/dev/null
fi
cmake --build --preset default -j "$(nproc)" --target vireo vireo-meter-sim
if [ -z "${VIREO_COM1:-}" ]; then
  link="${XDG_RUNTIME_DIR:-/tmp}/vireo-demo-meter"
  "$bin/tools/vireo-meter-sim/vireo-meter-sim" --scenario demo --link "$link" >/dev/null &
  sim=$!
  trap 'kill "$sim" 2>/dev/null || true' EXIT
  trap 'exit 130' INT TERM
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  export VIREO_COM1="$link"
  echo "Simulated meter on $VIREO_COM1 (COM1): click \"COM Connect\"."
fi
"$bin/src/app/vireo"
