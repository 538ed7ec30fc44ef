#!/usr/bin/env bash
# Installs the Debian packages Vantrel builds and tests with, when missing.
set -euo pipefail
pkgs=(g++ cmake ninja-build pkg-config libfftw3-dev libjson-c-dev libgtest-dev libgmock-dev
      python3 jq qt6-base-dev qt6-l10n-tools qt6-translations-l10n
      fonts-dejavu-core libmatio-dev)
pkgs+=("$@")
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
