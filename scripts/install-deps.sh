#!/usr/bin/env bash
# Installs the Debian packages the editor needs to build, test, package and run, and only those
# that are missing, so running it again installs nothing. Works as root, or through sudo for a
# user who may use it; anyone else is told in one line what to install as root.
set -euo pipefail

# Building and running. The window's fixed layout is measured in Arial, which Debian resolves to
# the metric-compatible Liberation Sans only when fonts-liberation is there.
packages=(cmake ninja-build g++ qt6-base-dev fonts-liberation xdg-utils)
# zlib's CRC-32 checks patches and the editor's recovery records.
packages+=(zlib1g-dev)
# libpng reads sprite images in one pass, held to the size a sprite image can have.
packages+=(libpng-dev)
# The manual pages (help2man, and groff to lay them out as man shows them) and the Debian
# package: its dependencies (dpkg-shlibdeps), the file utility CPack's Debian generator needs,
# and lintian, which must find nothing to warn about in it.
packages+=(help2man groff-base dpkg-dev file lintian)
# Google Benchmark, which repeats and times morvane-bench's benchmarks of the window.
packages+=(libbenchmark-dev)
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

install_command="apt-get update && apt-get install --no-install-recommends ${missing[*]}"
refuse() {
  echo "Missing packages: ${missing[*]}. $1; as root, run: $install_command" >&2
  exit 1
}

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    refuse "sudo is not installed"
  fi
  if sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
  elif ! id -nG | tr ' ' '\n' | grep -qx -e sudo -e admin -e wheel; then
    # sudo would ask for a password only to refuse a user it does not know.
    refuse "$(id -un) may not use sudo"
  elif [ ! -t 0 ]; then
    refuse "sudo needs a password and there is no terminal to ask for it"
  else
    echo "Installing needs root: sudo may ask for your password."
    as_root=(sudo)
  fi
fi

echo "Installing: ${missing[*]}"
if ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q \
  || ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  refuse "apt-get could not install them (its messages are above)"
fi
