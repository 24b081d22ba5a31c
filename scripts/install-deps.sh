#!/usr/bin/env bash
# Installs the Debian packages of the given profiles, but only when one of them
# is missing, so that repeated `make` calls stay quick and work without root
# once everything is there.
#
#   install-deps.sh [PROFILE...]      no profile: every one
#
#   run      build the program and open its window (`make run`, `make install`)
#   test     what `make test` and `make asan` need beyond run
#   bench    Google Benchmark and the peers the benchmarks compare against
#   fuzz     clang and its libFuzzer and sanitizer runtimes (`make fuzz`)
#   package  what `make package` and scripts/check-package.sh use
#   look     a virtual display, a window lister and a screenshot tool (`make screenshot`)
set -euo pipefail

all_profiles=(run test bench fuzz package look)
declare -A profiles=(
    # qt6-base-dev brings moc and rcc, the platform plugins and the OpenGL
    # headers Qt6Gui's CMake files look for. The window and --render draw their
    # text in DejaVu, named since fontconfig would settle for any font.
    # Ceres Solver fits models to data (least squares with bounds); libSBML
    # reads and writes models as SBML.
    [run]="g++ make cmake qt6-base-dev qt6-svg-dev libsundials-dev libceres-dev libsbml5-dev fonts-dejavu-core"
    # The graph's database supplier is tested on SQLite files through Qt's
    # driver; exported .ode files are run by XPPAUT to the same numbers.
    [test]="libgtest-dev libqt6sql6-sqlite xppaut"
    # muparser, QCustomPlot, XPPAUT, AUTO-07p and SciPy are the peers;
    # pkg-config finds muparser, AUTO compiles its models with gfortran, and
    # the loading benchmark reads an SQLite table.
    [bench]="libbenchmark-dev pkg-config libmuparser-dev libqcustomplot-dev xppaut auto-07p gfortran python3-scipy libqt6sql6-sqlite"
    [fuzz]="clang-14 libclang-rt-14-dev"
    # dpkg-shlibdeps finds the package's dependencies; the manual page is
    # rendered, the desktop entry validated and the icon drawn.
    [package]="dpkg-dev man-db desktop-file-utils librsvg2-bin"
    [look]="xvfb x11-utils imagemagick"
)

wanted=("$@")
[ ${#wanted[@]} -gt 0 ] || wanted=("${all_profiles[@]}")

packages=()
for profile in "${wanted[@]}"; do
    if [ -z "$profile" ] || [ -z "${profiles[$profile]+set}" ]; then
        echo "install-deps.sh: unknown profile '$profile' (profiles: ${all_profiles[*]})" >&2
        exit 2
    fi
    read -ra listed <<<"${profiles[$profile]}"
    packages+=("${listed[@]}")
done

missing=()
for p in "${packages[@]}"; do
    [[ " ${missing[*]} " == *" $p "* ]] && continue
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
