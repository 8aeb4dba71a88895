#!/usr/bin/env bash
# Builds the benchmarks and prints every budgeted figure against its budget, as a table.
#   scripts/bench.sh [--hour]
# --hour runs the recorder's memory check for an hour instead of five minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
memory=()
if [ "${1:-}" = "--hour" ]; then
  memory=(--hour)
fi
bash scripts/build.sh default dev
python3 tools/benchtable.py build/default/bench
# CPU of the real window in an X11 session, per frame and idle.
python3 bench/xvfb_cpu.py build/default
# CPU and memory of the headless recorder, without any display.
python3 bench/record_cpu.py build/default "${memory[@]}"
