#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Usage: scripts/setup.sh [--run] [BUILD_DIR [TARGET...]]
# BUILD_DIR defaults to build; with TARGETs only those are built, else all.
# --run: only what building, running and installing the two programs needs;
# no tests, no benchmarks, no test locales.
# Each stage begins with a line of its own that starts with "== ", which
# scripts/run.sh shows while it keeps everything else in a log.
set -euo pipefail
cd "$(dirname "$0")/.."
run_only=0
if [ "${1:-}" = --run ]; then
  run_only=1
  shift
fi

# What the programs need to build and run: the compiler and build tools, Qt
# (qt6-charts-dev draws the Cashflows view's charts; its CMake package needs
# libqt6opengl6-dev, which Debian does not pull in with it) and libglpk-dev,
# the linear and mixed-integer solver the immunization search runs on;
# libceres-dev, the least-squares solver with bounds the yield curve is fitted
# with (it brings Eigen).
# help2man writes the manual pages from the programs' help texts; file lets
# cpack find the programs whose libraries the package depends on.
run_packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
              libglpk-dev libceres-dev help2man file)
# What the tests add. locales: the window tests run under a decimal-comma locale and one with
# digits of its own, as well as en_US. desktop-file-utils, libxml2-utils and
# shared-mime-info: the install test checks the desktop entry and the file
# types with them, appstreamcli the AppStream file; lintian judges the
# package, man-db shows its manual pages.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth locales desktop-file-utils libxml2-utils
               shared-mime-info appstream lintian man-db)
test_locales=(en_US.UTF-8 de_DE.UTF-8 fr_FR.UTF-8 ar_EG.UTF-8)
packages=("${run_packages[@]}")
options=(-DTENVIX_TESTS=OFF -DTENVIX_BENCH=OFF)
if ((!run_only)); then
  packages+=("${test_packages[@]}")
  options=(-DTENVIX_TESTS=ON -DTENVIX_BENCH=ON)
else
  test_locales=()
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
stage() { echo "== $*"; }
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  how=""
  ((${#sudo_cmd[@]})) && how=" (through sudo, which may ask for your password)"
  stage "Installing ${#missing[@]} packages$how: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  stage "The packages it needs are installed"
fi

# Generates the test locales the machine lacks (locale -a spells them "xx_YY.utf8").
ungenerated=()
for l in ${test_locales[@]+"${test_locales[@]}"}; do
  locale -a 2>/dev/null | grep -qix "${l%%.*}.utf-\?8" || ungenerated+=("$l")
done
if ((${#ungenerated[@]})); then
  stage "Generating locales: ${ungenerated[*]}"
  for l in "${ungenerated[@]}"; do
    grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null ||
      echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi

build_dir=${1:-build}
targets=("${@:2}")
stage "Configuring the build in $build_dir/"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTENVIX_WERROR=ON "${options[@]}"
if ((${#targets[@]})); then
  stage "Building ${targets[*]}"
  cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"
else
  stage "Building (a few minutes the first time)"
  cmake --build "$build_dir" -j"$(nproc)"
fi
