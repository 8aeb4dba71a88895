#!/usr/bin/env bash
# Builds and runs every benchmark program, printing each one's figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
for b in build/default/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
    grep -E '^(BM_|Benchmark)' | grep -vE '_(mean|stddev|cv)\b' || true
done
