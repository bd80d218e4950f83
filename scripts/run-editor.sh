#!/usr/bin/env bash
# Installs what is missing, builds the editor, makes a demo ROM image in the build folder the
# first time, and starts the editor on it so there are sprites to look at straight away.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default

demo=build/default/demo.gb
if [ ! -e "$demo" ]; then
  build/default/src/tool/morvane-sprite-tool demo "$demo"
fi
exec build/default/src/app/morvane-sprite-editor "$demo"
