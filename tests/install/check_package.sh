#!/usr/bin/env bash
# Makes the Debian package of a build and has lintian judge it: no error and
# no warning. Then unpacks it and reads both manual pages as `man` shows them.
# Without lintian it says so and passes, unless TENVIX_REQUIRE_LINTIAN=1.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! command -v lintian >/dev/null; then
  echo "lintian is not installed; the package is not judged"
  [ "${TENVIX_REQUIRE_LINTIAN:-0}" = 1 ] && exit 1
  exit 0
fi
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
deb=$(ls "$work"/tenvix_*.deb)
fails=0
report=$(lintian --pedantic "$deb" 2>&1 | grep -E '^[EW]: ' || true)
if [ -n "$report" ]; then
  echo "FAIL: lintian:" >&2
  echo "$report" >&2
  fails=1
fi
dpkg-deb -x "$deb" "$work/root"
for page in tenvix tenvix-cli; do
  file=$work/root/usr/share/man/man1/$page.1.gz
  if [ ! -f "$file" ]; then
    echo "FAIL: no manual page $page(1)" >&2
    fails=1
  elif ! MANWIDTH=80 man -l "$file" 2>/dev/null | grep -q "$page"; then
    echo "FAIL: man cannot show $page(1)" >&2
    fails=1
  fi
done
((fails)) && exit 1
echo "package: lintian finds nothing; both manual pages show"
