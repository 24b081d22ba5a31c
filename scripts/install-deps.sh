#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the
# fuzzers need, but only when one of them is missing, so that repeated
# `make` calls stay quick and work without root once everything is there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6sql6-sqlite libgl1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libmuparser-dev libqcustomplot-dev
    libsundials-dev xppaut
    clang-14 libclang-rt-14-dev
    xvfb xauth imagemagick fonts-dejavu-core libxkbcommon-x11-0
    # `make package`: the dependencies of the binary, the icon and the desktop entry checked
    dpkg-dev librsvg2-bin desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
