#!/usr/bin/env bash
# Sets up and builds tenvix (the two programs and what installing them
# needs), prints the bundled sample's analysis for the user guide's dates and
# a line naming the guide and the next commands, and opens the sample in the
# window; without a display it says so first and stops after that line. What
# the package installer and the compiler say goes to build/run.log, which is
# shown whole only when something fails; the terminal gets one line a stage.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
log=build/run.log
: >"$log"
echo "tenvix: installing what is missing and building; the installer's and the compiler's output is kept in $log."

# setup.sh begins each stage with "== ": those lines are shown, the rest logged.
status=0
scripts/setup.sh --run build 2>&1 | tee -a "$log" | sed -un 's/^== /  /p' || status=$?
if ((status)); then
  echo
  echo "Setting up or building failed (status $status). What was said, as kept in $log:"
  echo
  cat "$log"
  exit "$status"
fi

# The dates every figure of the user guide is given for.
sample=examples/sample.bnd
stand=2025-06-30
horizon=2032-06-30
display=0
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  display=1
else
  echo "  No display is available, so the window cannot open; tenvix-cli works without one."
fi
echo "  Analysing $sample for the stand date $stand and the horizon $horizon:"
echo
build/cli/tenvix-cli analyse "$sample" --stand "$stand" --horizon "$horizon"
echo
echo "docs/GUIDE.md (Help > User Guide in the window) explains these figures. Next: build/shell/tenvix FILE.bnd," \
  "build/cli/tenvix-cli --help, scripts/test.sh, and the README's install step: sudo cmake --install build --prefix /usr."
if ((display)); then
  exec build/shell/tenvix "$sample"
fi
