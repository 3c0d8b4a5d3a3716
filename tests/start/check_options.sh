#!/bin/sh
# tenvix answers --help, --version and a wrong option on a machine without a
# display: before Qt looks for one, with the exit status scripts rely on. A
# start without a display, or with one that cannot be reached, says so in a
# line of its own and ends with 1, never with Qt's abort.
set -u
bin=$1
out=$(mktemp -d) || exit 1
trap 'rm -rf "$out"' EXIT
failed=0

# expect STATUS STREAM TEXT ARGS...: the status and a line STREAM must hold.
# $display, when set, is the X display the program is given.
display=
expect() {
  want=$1 stream=$2 text=$3
  shift 3
  if [ -n "$display" ]; then
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$bin" "$@" >"$out/stdout" 2>"$out/stderr"
  else
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" "$@" >"$out/stdout" 2>"$out/stderr"
  fi
  got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: tenvix $*: exit $got, expected $want"; cat "$out/stderr"; failed=1
  elif ! grep -qF -- "$text" "$out/$stream"; then
    echo "FAIL: tenvix $*: $stream lacks \"$text\""; cat "$out/$stream"; failed=1
  fi
}

expect 0 stdout "Usage: tenvix [FILE.bnd]" --help
expect 0 stdout "Usage: tenvix [FILE.bnd]" -h
expect 0 stdout "tenvix $2" --version
expect 0 stdout "tenvix $2" -platform offscreen -v
expect 2 stderr "tenvix: unknown option --frobnicate" --frobnicate x.bnd
expect 2 stderr "Usage: tenvix [FILE.bnd]" -x
[ -s "$out/stdout" ] && { echo "FAIL: a wrong option wrote to standard output"; failed=1; }

# No display: one line on standard error, whatever the program was asked to open.
no_display="tenvix needs a graphical display; tenvix-cli works without one ."
sample=$(dirname "$0")/../../examples/sample.bnd
for display in "" ":32123"; do
  for args in "" "$sample"; do
    # shellcheck disable=SC2086
    expect 1 stderr "$no_display" $args
    if [ "$(cat "$out/stderr")" != "$no_display" ]; then
      echo "FAIL: tenvix $args on display '$display' says more than the one line:"; cat "$out/stderr"; failed=1
    fi
    [ -s "$out/stdout" ] && { echo "FAIL: tenvix $args without a display wrote to standard output"; failed=1; }
  done
done
display=
[ "$failed" -eq 0 ] && echo "start options: all passed"
exit "$failed"
