#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test suite on the offscreen platform.
# With --sanitize it does the same in the AddressSanitizer and UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
if [ "${1:-}" = "--sanitize" ]; then
  preset=sanitize
  bash scripts/install-deps.sh --sanitizers
else
  bash scripts/install-deps.sh
fi

cmake --preset "$preset"
cmake --build --preset "$preset"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" --output-on-failure
