#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the programs and the tests need, and only those
# that are missing.
set -euo pipefail

packages=(g++ cmake make ccache pkg-config qt6-base-dev qt6-serialport-dev libgl-dev
          libxkbcommon-dev libxkbcommon-x11-dev xkb-data locales
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
          clang-format dpkg-dev file desktop-file-utils appstream
          clang-14 libclang-rt-14-dev llvm-14)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
