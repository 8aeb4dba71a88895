#!/usr/bin/env bash
# Builds the benchmarks and prints every budgeted figure against its budget, as a table.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default dev
python3 tools/benchtable.py build/default/bench
# CPU of the real window in an X11 session, per frame and idle.
python3 bench/xvfb_cpu.py build/default
