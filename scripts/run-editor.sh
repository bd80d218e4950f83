#!/usr/bin/env bash
# Installs what is missing, builds the editor and the tool that makes the demo ROM image (and
# nothing else: the test suites and the benchmark wait for run-tests.sh), makes the demo ROM
# image in the build folder the first time, and starts the editor on it so there are sprites to
# look at straight away.
set -euo pipefail
cd "$(dirname "$0")/.."

# Without a display the window cannot open: say so before anything is installed or built.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to show the editor on (DISPLAY is not set): run this from a desktop" \
    "session, or set DISPLAY; bash scripts/run-tests.sh needs no display." >&2
  exit 1
fi

bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target morvane-sprite-editor morvane-sprite-tool

demo=build/default/demo.gb
if [ ! -e "$demo" ]; then
  build/default/src/tool/morvane-sprite-tool demo "$demo"
fi
exec build/default/src/app/morvane-sprite-editor "$demo"
