#!/usr/bin/env bash
# Installs a build into a temporary root, as a package would, and checks what
# a desktop needs from it: both programs, a valid desktop entry whose program,
# icon and file type are all installed, file types for .bnd and .bdp that
# the desktop's MIME database takes in, the AppStream description, and what
# a newcomer reads: the user guide with its pictures, the examples that work,
# the licence terms, the changelog.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
for tool in desktop-file-validate xmllint update-mime-database; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
share=$root/usr/share

for program in tenvix tenvix-cli; do
  [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is not installed"
done
# The installed program runs on its own, without the build tree.
if [ -x "$root/usr/bin/tenvix-cli" ]; then
  "$root/usr/bin/tenvix-cli" --help >/dev/null || fail "the installed tenvix-cli does not run"
fi

desktop=$share/applications/tenvix.desktop
if [ -f "$desktop" ]; then
  report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate refuses the desktop entry"
  [ -z "$report" ] || fail "desktop-file-validate: $report"
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$root/usr/bin/$exec_program" ] || fail "the desktop entry runs '$exec_program', which is not installed"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  for size in 32x32 64x64; do
    [ -s "$share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon '$icon' for the desktop entry"
  done
else
  fail "the desktop entry is not installed"
fi

mime=$share/mime/packages/tenvix.xml
if [ -f "$mime" ]; then
  xmllint --noout "$mime" || fail "the MIME file is not well formed"
  update-mime-database "$share/mime" >/dev/null 2>&1 || true
  for pair in application/x-tenvix-document:bnd application/x-tenvix-portfolio:bdp; do
    type=${pair%%:*}
    grep -q ":$type:\*\.${pair##*:}$" "$share/mime/globs2" 2>/dev/null ||
      fail "the MIME database does not map *.${pair##*:} to $type"
    for size in 32x32 64x64; do
      [ -s "$share/icons/hicolor/$size/mimetypes/${type/\//-}.png" ] || fail "no $size icon for $type"
    done
  done
  # Every file type the desktop entry opens is one the MIME file defines.
  for type in $(sed -n 's/^MimeType=//p' "$desktop" 2>/dev/null | tr ';' ' '); do
    grep -q "type=\"$type\"" "$mime" || fail "the desktop entry opens $type, which no MIME file defines"
  done
else
  fail "the MIME file is not installed"
fi

for icon in "$share/icons/hicolor/scalable/apps/tenvix.svg"; do
  [ -s "$icon" ] && xmllint --noout "$icon" || fail "no scalable icon, or not well formed: $icon"
done

metainfo=$share/metainfo/org.quellmark.tenvix.metainfo.xml
if [ -f "$metainfo" ]; then
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null 2>&1 ||
      fail "appstreamcli refuses the metainfo: $(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1)"
  fi
  grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the metainfo does not launch the installed desktop entry"
else
  fail "the AppStream metainfo is not installed"
fi

doc=$share/doc/tenvix
grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$doc/copyright" 2>/dev/null ||
  fail "no machine-readable copyright file"
gzip -t "$doc/changelog.gz" 2>/dev/null || fail "no changelog.gz"

# The shipped examples work together: the portfolio holds bonds of the
# database, the bank's files are read with their decimal commas, and the
# schedule is funded from the database.
examples=$share/tenvix/examples
cli=$root/usr/bin/tenvix-cli
if [ -x "$cli" ]; then
  "$cli" portfolio "$examples/sample.bnd" "$examples/sample.bdp" --stand 2025-06-30 --horizon 2032-06-30 |
    grep -q '^portfolio,ytm=' || fail "the example portfolio does not calculate on the example database"
  "$cli" prices "$examples/sample.bnd" "$examples/prices-de.csv" --stand 2025-06-30 |
    grep -q '^2,GOV-2027-A,update,101.35,101.80,0.44,' || fail "the example price file is not read as a bank's file"
  "$cli" import "$examples/sample.bnd" "$examples/bonds-de.csv" --stand 2025-06-30 |
    grep -q '^2,QZ0001000011,add,' || fail "the example list of bonds is not read as a bank's list"
  "$cli" fund "$examples/sample.bnd" "$examples/schedule.csv" --stand 2025-06-30 |
    grep -q '^portfolio,cost=' || fail "the example schedule is not funded from the example database"
fi

# The user guide, with every picture it shows.
if [ -s "$doc/GUIDE.md" ]; then
  # One release said two ways: the About box's "Version 2.04.1" and the
  # package's 2.4.1, which the guide's first lines tell are the same.
  if [ -x "$cli" ]; then
    version=$("$cli" --version | sed -n 's/^tenvix-cli //p')
    about=$(echo "$version" | awk -F. '{ printf "Version %d.%02d.%d", $1, $2, $3 }')
    opening=$(head -n 12 "$doc/GUIDE.md")
    case $opening in
      *"$about"*"$version"* | *"$version"*"$about"*) ;;
      *) fail "the guide's first lines do not tell \"$about\" and $version as one release" ;;
    esac
  fi
  for picture in $(grep -o '([A-Za-z0-9_-]*\.png)' "$doc/GUIDE.md" | tr -d '()'); do
    [ -s "$doc/$picture" ] || fail "the guide shows $picture, which is not installed beside it"
  done
else
  fail "the user guide is not installed"
fi

if ((fails)); then
  echo "$fails check(s) failed; installed files:" >&2
  (cd "$root" && find . -type f | sort) >&2
  exit 1
fi
echo "install tree: all checks passed"
