#!/usr/bin/env bash
# Whole-process time and peak memory of tenvix-cli curve over generated
# markets (make_sample --market: nine in ten coupon bonds of up to 40 years,
# one in ten zeros) of 10,000 and 1,000,000 bonds, as measured by
# /usr/bin/time -v: the median of RUNS runs of each.
#
#   scripts/curve_bench.sh [BUILD_DIR] [RUNS] [-- EXTRA tenvix-cli OPTIONS]
#
# BUILD_DIR defaults to build-release (see the README's Benchmarks section),
# RUNS to 5. Output goes to /dev/null. The EXTRA options (--threads 2, say)
# go to curve.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-release}
runs=${2:-5}
shift $(($# < 2 ? $# : 2))
[[ ${1:-} == -- ]] && shift
extra=("$@")

cli=$build/cli/tenvix-cli
make=$build/examples/make_sample
for tool in "$cli" "$make"; do
    [[ -x $tool ]] || { echo "curve_bench: $tool is missing; build $build first" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "curve_bench: needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%s runs each, %s processors\n' "$runs" "$(nproc)"
printf '%-10s %10s %12s\n' bonds seconds "peak MiB"
for bonds in 10000 1000000; do
    db=$work/market-$bonds.bnd
    "$make" --generate "$bonds" --market "$db"
    : >"$work/times"
    : >"$work/peaks"
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -v "$cli" curve "$db" --stand 2026-12-06 "${extra[@]}" >/dev/null 2>"$work/report"
        awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' \
            "$work/report" >>"$work/times"
        awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/report" >>"$work/peaks"
    done
    awk -v b="$bonds" -v s="$(median <"$work/times")" -v p="$(median <"$work/peaks")" \
        'BEGIN { printf "%-10s %10.2f %12.1f\n", b, s, p / 1024 }'
done
