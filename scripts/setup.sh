#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Usage: scripts/setup.sh [BUILD_DIR [TARGET...]]
# BUILD_DIR defaults to build; with TARGETs only those are built, else all.
set -euo pipefail
cd "$(dirname "$0")/.."

# locales: the window tests run under a decimal-comma locale and one with
# digits of its own, as well as en_US. desktop-file-utils, libxml2-utils and
# shared-mime-info: the install test checks the desktop entry and the file
# types with them. dpkg-dev and file: cpack finds the package's dependencies.
# qt6-charts-dev draws the Cashflows view's chart; its CMake package needs
# libqt6opengl6-dev, which Debian does not pull in with it. libglpk-dev: the
# linear and mixed-integer solver the immunization search runs on.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
          libglpk-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth locales
          desktop-file-utils libxml2-utils shared-mime-info dpkg-dev file)
test_locales=(en_US.UTF-8 de_DE.UTF-8 fr_FR.UTF-8 ar_EG.UTF-8)
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Generates the test locales the machine lacks (locale -a spells them "xx_YY.utf8").
ungenerated=()
for l in "${test_locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "${l%%.*}.utf-\?8" || ungenerated+=("$l")
done
if ((${#ungenerated[@]})); then
  echo "Generating locales: ${ungenerated[*]}"
  for l in "${ungenerated[@]}"; do
    grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null ||
      echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi

build_dir=${1:-build}
targets=("${@:2}")
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTENVIX_WERROR=ON
if ((${#targets[@]})); then
  cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build_dir" -j"$(nproc)"
fi
