#!/usr/bin/env bash
# The README's first command on a machine with a display: scripts/run.sh must
# open the bundled sample in a top-level window titled "sample.bnd - tenvix".
# Run under an X server (xvfb-run); closes the window once it has been seen.
set -uo pipefail
cd "$(dirname "$0")/../.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
title='^sample\.bnd - tenvix$'

scripts/run.sh >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 240); do
  if window=$(xdotool search --onlyvisible --name "$title" 2>/dev/null) && [ -n "$window" ]; then
    echo "scripts/run.sh opened the window \"$(xdotool getwindowname "${window%%$'\n'*}")\""
    # run.sh ends by becoming the program, so this closes the window.
    kill "$pid"
    wait "$pid" 2>/dev/null
    exit 0
  fi
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: scripts/run.sh ended without a window titled \"sample.bnd - tenvix\":"
    cat "$log"
    exit 1
  fi
  sleep 0.5
done
echo "FAIL: no window titled \"sample.bnd - tenvix\" within two minutes:"
cat "$log"
kill "$pid" 2>/dev/null
exit 1
