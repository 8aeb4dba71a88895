#!/usr/bin/env bash
# Formats every C++ source with the repository's .clang-format; with --check (CI) it only
# reports the files that are not formatted and fails if there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh dev
mapfile -t files < <(git ls-files -- src tests bench fuzz tools | grep -E '\.(cpp|h)$')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "clang-format: ${#files[@]} files formatted."
else
  clang-format -i "${files[@]}"
fi
