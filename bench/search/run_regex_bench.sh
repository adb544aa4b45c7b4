#!/usr/bin/env bash
# Runs the regular-expression benchmark beside grep on the same file and prints the ratios.
#
#   run_regex_bench.sh [BUILD_DIR] [FILE]
#
# BUILD_DIR: a release build with -DNORV_BENCH=ON (default: build-bench beside the sources).
# FILE: a large text with LF line ends, Shift-JIS, or UTF-8 when its name contains "utf8"
#       (default: the corpus's large/sjis.lf.txt; build it with make-corpus.sh). Times are CPU seconds (user + system), the best of
#       five runs, because shared machines are noisy; the grep runs include reading the file,
#       the benchmark's do not (the editor has the text in memory).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
file=${2:-${TMPDIR:-/tmp}/norv-corpus/large/sjis.lf.txt}
bench=$build/bench/search/regex_bench
[ -x "$bench" ] || { echo "no $bench: build with -DNORV_BENCH=ON" >&2; exit 2; }
[ -r "$file" ] || { echo "no $file: run make-corpus.sh" >&2; exit 2; }
export LC_ALL=C

scratch=$(mktemp)
trap 'rm -f "$scratch"' EXIT

many=$(printf '\202\267\202\351')   # "する" in Shift-JIS
case $file in *utf8*) many=$(printf '\343\201\231\343\202\213') ;; esac

# Best CPU time of five runs of a command, in milliseconds.
cpu_ms() {
    local best=999999999 t TIMEFORMAT='%3U %3S'
    for _ in 1 2 3 4 5; do
        # Not into /dev/null: grep notices that and stops at the first match.
        t=$( { time "$@" >"$scratch"; } 2>&1 | tail -1 | awk '{ printf "%d", ($1 + $2) * 1000 }')
        [ "$t" -lt "$best" ] && best=$t
    done
    echo "$best"
}

json=$("$bench" "$file" --benchmark_format=json --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=false --benchmark_min_time=0.2 2>/dev/null)
# Best CPU time and line count of each case, in milliseconds.
engine() {
    printf '%s' "$json" | awk -v want="\"$1\"" '
        /^ *"name":/ { split($0, a, ": "); name = a[2]; sub(/,$/, "", name) }
        /"cpu_time":/ { split($0, a, ": "); t = a[2] + 0; if (name == want && (best == "" || t < best)) best = t }
        /"lines":/ { split($0, a, ": "); if (name == want) lines = a[2] + 0 }
        /"time_unit":/ { split($0, a, "\""); unit = a[4] }
        END { f = unit == "ns" ? 1e-6 : unit == "us" ? 1e-3 : unit == "ms" ? 1 : 1000; printf "%.0f %d\n", best * f, lines }'
}

printf '%-12s %10s %10s %8s %8s %7s %7s\n' case norv_ms grep_ms ratio target lines grep_lines
row() {
    local name=$1 target=$2; shift 2
    read -r ms lines < <(engine "$name")
    local g; g=$(cpu_ms grep -c "$@" "$file")
    local gl; gl=$(grep -c "$@" "$file" || true)
    [ "$g" -lt 1 ] && g=1
    awk -v n="$name" -v a="$ms" -v b="$g" -v t="$target" -v l="$lines" -v gl="$gl" \
        'BEGIN { printf "%-12s %10d %10d %8.1f %8s %7d %7d\n", n, a, b, a / b, t, l, gl }'
}
row absent      5x  -F zqxjkv
row many        -    -F "$many"
row ignore_case -    -i -F error
row regex       10x -E 'colou?r|int[a-z]+_t'
