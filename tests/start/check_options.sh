#!/bin/sh
# tenvix answers --help, --version and a wrong option on a machine without a
# display: before Qt looks for one, with the exit status scripts rely on.
set -u
bin=$1
out=$(mktemp -d) || exit 1
trap 'rm -rf "$out"' EXIT
failed=0

# expect STATUS STREAM TEXT ARGS...: the status and a line STREAM must hold.
expect() {
  want=$1 stream=$2 text=$3
  shift 3
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" "$@" >"$out/stdout" 2>"$out/stderr"
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
[ "$failed" -eq 0 ] && echo "start options: all passed"
exit "$failed"
