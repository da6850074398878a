#!/usr/bin/env bash
# Installs what building and testing Kelvarin need on Debian, when it is
# missing (the desktop data's validators included), plus any package named on
# the command line.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev desktop-file-utils appstream shared-mime-info "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
