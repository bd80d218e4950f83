#!/usr/bin/env bash
# Removes what "cmake --install build/default" installed under a prefix (/usr/local unless one is
# given): exactly the files the build's install rules write, found by installing them once more
# into a scratch folder, so the list can never drift from the rules. Files of other programs
# under the prefix are left alone. Run it as the user who installed (with sudo for /usr/local).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=${1:-/usr/local}
if [ ! -f build/default/cmake_install.cmake ]; then
  echo "There is no build in build/default to tell which files were installed: build first" \
    "(bash scripts/run-tests.sh), then run this again." >&2
  exit 1
fi
if [ ! -d "$prefix" ]; then
  echo "There is no folder $prefix to remove Morvane Sarnet Sprite Editor from." >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install build/default --prefix "$scratch/prefix" >/dev/null

removed=0
while IFS= read -r -d '' file; do
  if [ -e "$prefix/$file" ] || [ -L "$prefix/$file" ]; then
    rm -f -- "$prefix/$file"
    removed=$((removed + 1))
  fi
done < <(cd "$scratch/prefix" && find . ! -type d -printf '%P\0')

# The folders that only this program has; shared ones such as bin/ stay.
for folder in share/morvane-sprite-editor share/doc/morvane-sprite-editor; do
  if [ -d "$prefix/$folder" ]; then
    rmdir --ignore-fail-on-non-empty -- "$prefix/$folder"
  fi
done

# The desktop's caches under the prefix forget the editor's MIME types and desktop entry.
if [ -f "$prefix/share/mime/mime.cache" ] && command -v update-mime-database >/dev/null; then
  update-mime-database "$prefix/share/mime"
fi
if [ -f "$prefix/share/applications/mimeinfo.cache" ] \
  && command -v update-desktop-database >/dev/null; then
  update-desktop-database "$prefix/share/applications"
fi
echo "Removed $removed files of Morvane Sarnet Sprite Editor from $prefix."
