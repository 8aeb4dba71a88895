#!/usr/bin/env bash
# Compares the window, pixel for pixel, with the reference pictures in tests/pixels: the same
# scenes the test suite checks. On a difference it names the differing rectangles and the
# controls under them, and leaves NAME.actual.png and NAME.diff.png in the output directory.
#
#   scripts/pixelcompare.sh               compare
#   scripts/pixelcompare.sh --rebaseline  compare, then make the window as it is the reference
#                                         (the diff pictures show what the new references change)
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
"") mode=--compare ;;
--rebaseline) mode=--rebaseline ;;
*)
    echo "usage: $0 [--rebaseline]" >&2
    exit 2
    ;;
esac
[ -f build/default/build.ninja ] || cmake --preset default >/dev/null
cmake --build build/default --target vireo-screenshot >/dev/null
build/default/tools/vireo-screenshot/vireo-screenshot "$mode" tests/pixels \
    build/default/test-output/pixels
