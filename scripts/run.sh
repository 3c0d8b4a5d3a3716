#!/usr/bin/env bash
# Sets up, builds and starts tenvix on the bundled sample database. Without a
# display it says so and prints the sample's analysis with tenvix-cli instead.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the two programs: the tests and benchmarks are scripts/test.sh's.
scripts/setup.sh --run build tenvix tenvix-cli

sample=examples/sample.bnd
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/shell/tenvix "$sample"
fi

stand=$(date +%F)
horizon=$(date -d "$stand + 5 years" +%F)
echo "No display is available, so the window cannot open."
echo "The analysis of $sample for stand date $stand and horizon $horizon:"
echo
build/cli/tenvix-cli analyse "$sample" --stand "$stand" --horizon "$horizon"
