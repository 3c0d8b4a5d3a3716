#!/usr/bin/env bash
# The user guide's commands run as written, from the source tree, after
# scripts/run.sh: every indented block of docs/GUIDE.md that begins with
# "$ " is run in a copy of the source tree's examples/ beside a build/ that is
# the build folder, with nothing of the program's on the PATH, and must
# print what the block shows below the command, byte for byte (the CSV's
# line ends aside); a line "..." in what it shows stands for any lines. A
# command shown alone (an indented line that begins with build/) must run
# and end with 0; one that begins with tenvix-cli would run only where the
# program is installed, and fails the check.
# Usage: check_guide.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir "$tree/examples"
cp "$src"/examples/*.bnd "$src"/examples/*.bdp "$src"/examples/*.csv "$tree/examples/"
ln -s "$build" "$tree/build"

fails=0 commands=0
# check COMMAND EXPECTED_FILE
check() {
  local command=$1 expected=$2 got
  commands=$((commands + 1))
  got=$(cd "$tree" && env PATH=/usr/bin:/bin bash -c "$command" 2>&1 | tr -d '\r')
  local want head tail same=1
  want=$(cat "$expected")
  if grep -qx '\.\.\.' "$expected"; then
    # What comes before the first "..." begins the output, what comes after it ends it.
    head=$(sed '/^\.\.\.$/,$d' "$expected")
    tail=$(sed '0,/^\.\.\.$/d' "$expected")
    if [ -n "$head" ] && [ "$(head -n "$(wc -l <<<"$head")" <<<"$got")" != "$head" ]; then same=0; fi
    if [ -n "$tail" ] && [ "$(tail -n "$(wc -l <<<"$tail")" <<<"$got")" != "$tail" ]; then same=0; fi
  elif [ "$got" != "$want" ]; then
    same=0
  fi
  if ((!same)); then
    echo "FAIL: the guide's command does not print what the guide shows: $command"
    diff <(cat "$expected") <(echo "$got") | head -20
    fails=$((fails + 1))
  fi
}

# run COMMAND: a command shown without its output must run, and end with 0.
run() {
  commands=$((commands + 1))
  local said
  if ! said=$(cd "$tree" && env PATH=/usr/bin:/bin bash -c "$1" 2>&1); then
    echo "FAIL: the guide's command does not run as written: $1"
    echo "$said" | head -5
    fails=$((fails + 1))
  fi
}

command="" expected=$tree/expected
while IFS= read -r line || [ -n "$line" ]; do
  if [ -z "$command" ] && [[ $line == "    tenvix-cli "* || $line == "    \$ tenvix-cli "* ]]; then
    echo "FAIL: the guide shows a command that runs only where the program is installed: ${line#    }"
    fails=$((fails + 1))
  elif [ -z "$command" ] && [[ $line == "    build/"* ]]; then
    run "${line#    }"
  elif [[ $line == "    \$ "* ]]; then
    [ -n "$command" ] && check "$command" "$expected"
    command=${line#    \$ }
    : >"$expected"
  elif [ -n "$command" ] && [[ $line == "    "* ]]; then
    echo "${line#    }" >>"$expected"
  elif [ -n "$command" ]; then
    check "$command" "$expected"
    command=""
  fi
done <"$src/docs/GUIDE.md"
[ -n "$command" ] && check "$command" "$expected"

if ((commands == 0)); then
  echo "FAIL: the guide shows no command to check"
  exit 1
fi
((fails)) && exit 1
echo "the guide's $commands commands run as written and print what it shows"
