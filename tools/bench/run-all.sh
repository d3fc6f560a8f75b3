#!/bin/sh
# Runs every writing benchmark on both paths (SQLite, and ODBC through the SQLite ODBC driver) and
# prints their figures in one table: each figure the median of RUNS runs of the benchmark.
#
#   tools/bench/run-all.sh [--big] [--runs N] [--build DIR]
#
# Small sizes by default (20,000 lines, 20,000 rows for the result set), a few minutes; --big
# takes 100,000. The ratios are a measure's time over the limit's, the bare prepared INSERT of the
# same rows in the same run (see the heading of each benchmark); "writing" is the time spent in
# the MovCTB writer, "whole" the job's whole command or step.
set -eu

build=build
runs=3
lines=20000
while [ $# -gt 0 ]; do
    case "$1" in
        --big) lines=100000 ;;
        --runs) runs="$2"; shift ;;
        --build) build="$2"; shift ;;
        *) echo "usage: $0 [--big] [--runs N] [--build DIR]" >&2; exit 2 ;;
    esac
    shift
done

bin="$build/bin"
for b in bench-recordset-insert bench-consolidation bench-class9 bench-movement-import; do
    [ -x "$bin/$b" ] || { echo "$bin/$b is missing: build the benchmarks first" >&2; exit 1; }
done

records=$(mktemp)
trap 'rm -f "$records"' EXIT
run=1
while [ "$run" -le "$runs" ]; do
    echo "run $run of $runs..." >&2
    for b in bench-recordset-insert bench-consolidation bench-class9 bench-movement-import; do
        "$bin/$b" --table "$lines" --odbc "$lines" >>"$records"
    done
    run=$((run + 1))
done

# The median of each figure over the runs, in the order the benchmarks print them.
awk -F '\t' -v runs="$runs" '
function median(list,    n, v, i, j, t) {
    n = split(list, v, " ")
    for (i = 2; i <= n; i++)
        for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) {
            t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
        }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
function add(key, field, value) {
    if (!(key in seen)) { seen[key] = 1; order[++count] = key }
    values[key, field] = values[key, field] " " value
}
$1 == "figure" {
    key = $2 "\t" $3 "\t" $4 "\t" $5
    add(key, "seconds", $6)
    if ($7 != "-") add(key, "statements", $7)
    add(key, "peak", $8); add(key, "took", $9)
}
$1 == "ratio" { add($2 "\t" $3 "\t" $4 "\t" $5, "ratio", $6) }
END {
    printf "%-24s %-6s %7s  %-30s %9s %12s %10s %17s %7s\n", "benchmark", "path", "lines", \
        "measure", "seconds", "lines/s", "stmts/1000", "peak MB (+took)", "ratio"
    for (i = 1; i <= count; i++) {
        split(order[i], k, "\t")
        printf "%-24s %-6s %7d  %-30s", k[1], k[2], k[3], k[4]
        if ((order[i], "ratio") in values) {
            printf " %9s %12s %10s %17s %7.2f\n", "", "", "", "", median(values[order[i], "ratio"])
            continue
        }
        s = median(values[order[i], "seconds"])
        printf " %9.3f %12.0f", s, (s > 0 ? k[3] / s : 0)
        if ((order[i], "statements") in values)
            printf " %10.2f", median(values[order[i], "statements"])
        else
            printf " %10s", "-"
        if ((median(values[order[i], "peak"]) + 0) > 0)
            printf " %8.1f (+%5.1f)", median(values[order[i], "peak"]), median(values[order[i], "took"])
        else
            printf " %17s", ""
        printf "\n"
    }
    printf "\nMedians of %d runs. Targets: writing / limit at most 1.15 on SQLite and 1.30 on ODBC;\n", runs
    printf "result set / limit at most 1.10.\n"
}' "$records"
