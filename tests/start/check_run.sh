#!/usr/bin/env bash
# The README's first command. Without a display scripts/run.sh must say
# little: a line a stage, the installer's and compiler's output kept in its
# log, then the sample's analysis for the guide's dates (the rows the guide
# quotes) and a line naming the guide and the next commands. With a display
# it must then open the bundled sample in a top-level window titled
# "sample.bnd - tenvix". Run under an X server (xvfb-run); closes the window
# once it has been seen.
set -uo pipefail
cd "$(dirname "$0")/../.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
title='^sample\.bnd - tenvix$'

# check_output FILE: what run.sh printed before the window would open.
check_output() {
  local out bad=0
  # The CSV rows end in CR LF.
  out=$(mktemp)
  tr -d '\r' <"$1" >"$out"
  grep -qxF "  Analysing examples/sample.bnd for the stand date 2025-06-30 and the horizon 2032-06-30:" "$out" ||
    { echo "FAIL: scripts/run.sh does not analyse the sample for the guide's dates"; bad=1; }
  # Every row of the analysis the guide quotes, as run.sh prints it.
  while IFS= read -r row; do
    grep -qxF "$row" "$out" || { echo "FAIL: scripts/run.sh does not print the guide's row: $row"; bad=1; }
  done < <(sed -n 's/^    \([A-Z][A-Z0-9-]*,[^,]*,II\{0,1\},\(ok\|incompatible\|bad_ytm\),.*\)$/\1/p' docs/GUIDE.md)
  grep -q "docs/GUIDE.md.*Next: .*tenvix-cli" "$out" ||
    { echo "FAIL: scripts/run.sh ends without naming the guide and the next commands"; bad=1; }
  # The build's words stay in the log: a line a stage, the rows, a few more.
  local rows others
  rows=$(grep -c '^[A-Za-z0-9-]*,' "$out")
  others=$(($(wc -l <"$out") - rows))
  if grep -qE '^\[[0-9]+/[0-9]+\]|^-- |^(Get|Selecting|Unpacking|Setting up) ' "$out" || ((others > 14)); then
    echo "FAIL: scripts/run.sh shows the installer's or the compiler's output ($others lines besides the rows)"
    bad=1
  fi
  [ -s build/run.log ] || { echo "FAIL: scripts/run.sh keeps no log in build/run.log"; bad=1; }
  if ((bad)); then
    echo "scripts/run.sh printed:"
    cat "$out"
    rm -f "$out"
    exit 1
  fi
  rm -f "$out"
}

env -u DISPLAY -u WAYLAND_DISPLAY scripts/run.sh >"$log" 2>&1
status=$?
if ((status)); then
  echo "FAIL: scripts/run.sh without a display ended with $status:"
  cat "$log"
  exit 1
fi
grep -qF "No display is available" "$log" || { echo "FAIL: scripts/run.sh does not say that no display is available"; exit 1; }
check_output "$log"
tail -n 1 "$log" | grep -qF "docs/GUIDE.md" ||
  { echo "FAIL: scripts/run.sh without a display does not end with the line naming the guide:"; cat "$log"; exit 1; }
echo "scripts/run.sh without a display: one line a stage, the guide's analysis, the guide and the next commands"

scripts/run.sh >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 240); do
  if window=$(xdotool search --onlyvisible --name "$title" 2>/dev/null) && [ -n "$window" ]; then
    echo "scripts/run.sh opened the window \"$(xdotool getwindowname "${window%%$'\n'*}")\""
    check_output "$log"
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
