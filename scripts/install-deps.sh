#!/usr/bin/env bash
# Installs the Debian packages the editor needs to build, test, package and run, and only those
# that are missing, so running it again installs nothing. Works as root or through sudo.
set -euo pipefail

# Building and running.
packages=(cmake ninja-build g++ qt6-base-dev fonts-liberation xdg-utils)
# zlib, which Qt already uses, unpacks a sprite image's pixels under a hard cap, so a small file
# that inflates without end is refused at once.
packages+=(zlib1g-dev)
# libpng reads sprite images in one pass, held to the size a sprite image can have.
packages+=(libpng-dev)
# The manual pages (help2man) and the Debian package's dependencies (dpkg-shlibdeps).
packages+=(help2man dpkg-dev)
# The checks of the installed files: desktop entry, AppStream metadata, MIME types, XML; and of
# the sources' formatting.
packages+=(desktop-file-utils appstream shared-mime-info libxml2-utils clang-format)
if [ "${1:-}" = "--sanitizers" ]; then
  packages+=(libasan8 libubsan1)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
