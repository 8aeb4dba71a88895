#!/usr/bin/env bash
# Runs tests under the sanitizers:
#   scripts/sanitize.sh thread   the serial and USB link tests (reader threads), the window over
#                                 the hidapi/libudev stand-in, the durable files (writer
#                                 threads) and the recorder, under ThreadSanitizer
#   scripts/sanitize.sh address  the whole suite under AddressSanitizer + UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run test dev
case "${1:-thread}" in
  thread)
    cmake --preset tsan >/dev/null
    cmake --build --preset tsan -j "$(nproc)" --target links_tests e2e_tests store_tests \
      record_tests
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
      ctest --preset tsan -R '^(Hid|LinuxHid|TCommPortDriver|SerialPort|MeterSimulator|UsbLinkOverHidraw|DurableFile|RecoveryFile|UsbRecording|RecorderRun)'
    ;;
  address)
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$(nproc)"
    ASAN_OPTIONS="detect_leaks=1" \
      LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
      ctest --preset asan -j "$(nproc)"
    ;;
  *)
    echo "usage: scripts/sanitize.sh thread|address" >&2
    exit 2
    ;;
esac
