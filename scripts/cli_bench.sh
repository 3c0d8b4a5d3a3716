#!/usr/bin/env bash
# Whole-process time and peak memory of tenvix-cli export, analyse, suggest,
# immunize (an amount of 10,000,000) and fund (a million owed each year for 30
# years, --max-rows 200) on a generated database of Type I bonds (periods 3, 6 and 12 months, 1 to 30
# years), and of prices with a bank's file of a price for every bond, as
# measured by /usr/bin/time -v: the median of RUNS runs of each. Then export,
# analyse and suggest once more on a database as large whose every other bond
# is a Type II loan of forty quarterly payments (make_sample --mixed).
#
#   scripts/cli_bench.sh [BUILD_DIR] [BONDS] [RUNS] [-- EXTRA tenvix-cli OPTIONS]
#
# BUILD_DIR defaults to build-release (see the README's Benchmarks section),
# BONDS to 1000000, RUNS to 3. Output goes to /dev/null. The EXTRA options go to
# export, analyse, suggest and immunize.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-release}
bonds=${2:-1000000}
runs=${3:-3}
shift $(($# < 3 ? $# : 3))
[[ ${1:-} == -- ]] && shift
extra=("$@")

cli=$build/cli/tenvix-cli
make=$build/examples/make_sample
for tool in "$cli" "$make"; do
    [[ -x $tool ]] || { echo "cli_bench: $tool is missing; build $build first" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "cli_bench: needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/bonds.bnd
"$make" --generate "$bonds" "$db"
dates=(--stand 2026-12-06 --horizon 2031-12-06)
# The price file: semicolons, decimal commas, quoted names, in another order
# than the database; one price in seven changed, one identifier in fifty
# unknown, one in eleven in lower case.
prices=$work/prices.csv
{
    printf 'ISIN;Bezeichnung;Kurs;W\xc3\xa4hrung\r\n'
    "$cli" export "$db" | awk -F, 'NR > 1 {
        p = $6 + 0; if (NR % 7 == 0) p *= 1.01
        id = $2; if (NR % 50 == 0) id = "ZZ" NR; if (NR % 11 == 0) id = tolower(id)
        s = sprintf("%.3f", p); sub(/[.]/, ",", s)
        printf "%s;\"%s\";%s;EUR\r\n", id, $3, s }' | shuf --random-source=<(yes)
} >"$prices"

schedule=$work/schedule.csv
{
    echo date,amount
    for ((y = 2027; y <= 2056; y++)); do echo "$y-12-06,1000000"; done
} >"$schedule"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

mixed=$work/mixed.bnd
"$make" --generate "$bonds" --mixed "$mixed"

printf '%s bonds, %s bytes, %s runs each, %s processors\n' "$bonds" "$(stat -c %s "$db")" "$runs" "$(nproc)"
printf '%-16s %10s %12s %16s\n' command seconds "peak MiB" "bytes/record"
for command in export analyse suggest immunize fund prices mixed-export mixed-analyse mixed-suggest; do
    file=$db
    if [[ $command == mixed-* ]]; then
        command=${command#mixed-}
        file=$mixed
    fi
    args=("$command" "$file")
    case $command in
    analyse | suggest) args+=("${dates[@]}" "${extra[@]}") ;;
    immunize) args+=("${dates[@]}" --amount 1e7 "${extra[@]}") ;;
    export) args+=("${extra[@]}") ;;
    prices) args+=("$prices" --stand 2026-12-06) ;;
    fund) args+=("$schedule" --stand 2026-12-06 --max-rows 200) ;;
    esac
    : >"$work/times"
    : >"$work/peaks"
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -v "$cli" "${args[@]}" >/dev/null 2>"$work/report"
        awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s }' \
            "$work/report" >>"$work/times"
        awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/report" >>"$work/peaks"
    done
    seconds=$(median <"$work/times")
    peak=$(median <"$work/peaks")
    label=$command
    [[ $file == "$mixed" ]] && label="$command (mixed)"
    awk -v c="$label" -v s="$seconds" -v p="$peak" -v n="$bonds" \
        'BEGIN { printf "%-16s %10.2f %12.1f %16.1f\n", c, s, p / 1024, p * 1024 / n }'
done
