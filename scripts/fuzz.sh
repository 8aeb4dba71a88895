#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time (seconds, default 30)
# from its seed corpus. A crash fails the script and leaves the crashing input in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
bash scripts/setup.sh run dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
for target in text_loader xml_reader csv_reader serial_decoder hid_intake; do
  work="build/fuzz/corpus-$target"
  mkdir -p "$work"
  echo "== fuzz_$target for ${seconds}s"
  log="build/fuzz/fuzz_$target.log"
  status=0
  (cd build/fuzz && "./fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 \
      -print_final_stats=1 "../../$work" "../../fuzz/corpus/$target") >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log"
    exit "$status"
  fi
done
