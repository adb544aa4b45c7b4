#!/usr/bin/env bash
# Times the editor's search (find_bench: the text loaded into a document and searched through
# FindCommands, as the Find dialog and Mark All run it) beside grep and ripgrep on the same
# large files, in the same run, and prints the ratios.
#
#   run_find_bench.sh [BUILD_DIR] [CORPUS]
#
# BUILD_DIR: a release build with -DNORV_BENCH=ON (default: build-bench beside the sources).
# CORPUS:    made by /work/shared/corpus/make-corpus.sh (default: ${TMPDIR:-/tmp}/norv-corpus);
#            its large/sjis.lf.txt and large/utf8.lf.txt are searched.
# RUNS=5     timed runs of each outside command (hyperfine, after one warm-up) and repetitions
#            of each editor case.
#
# Cases: a plain string that does not occur (one search over the whole text), a plain string
# with many hits (Mark All), ignore case (Mark All) and a regular expression (Mark All). Figures
# are milliseconds of wall time, the median of the runs. grep and rg read the file (from the page
# cache) on every run; the editor has the text in memory already, as it has when the user
# searches. The line counts of the Mark All cases must equal grep -c.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
corpus=${2:-${TMPDIR:-/tmp}/norv-corpus}
runs=${RUNS:-5}
bench=$build/bench/search/find_bench
[ -x "$bench" ] || { echo "no $bench: build with -DNORV_BENCH=ON" >&2; exit 2; }
for t in grep rg hyperfine jq; do
    command -v "$t" >/dev/null || { echo "missing $t (apt-get install -y ripgrep hyperfine jq)" >&2; exit 2; }
done
export LC_ALL=C

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Median wall time of a shell command, in milliseconds. The output goes to a file: grep and rg
# stop at the first match when it goes to /dev/null.
outside_ms() {
    # -i: grep -c answers 1 when it counts nothing.
    hyperfine --style none -i --warmup 1 --runs "$runs" --export-json "$scratch/h.json" \
        "$1 > $scratch/out" >/dev/null 2>&1 || { echo "-1"; return; }
    jq -r '.results[0].median * 1000 | floor' "$scratch/h.json"
}

# The editor's cases: name, median real time (ms) and the lines counter, one line each.
editor_cases() {
    "$bench" "$1" --benchmark_format=json --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=false --benchmark_min_time=0.01 2>/dev/null |
        jq -r '
          def ms: if .time_unit == "ns" then .real_time / 1e6
                  elif .time_unit == "us" then .real_time / 1e3
                  elif .time_unit == "ms" then .real_time else .real_time * 1000 end;
          [.benchmarks[] | select(.run_type == "iteration")]
          | group_by(.run_name)[]
          | (map(ms) | sort | .[(length / 2 | floor)]) as $m
          | "\(.[0].run_name) \($m | floor) \(.[0].lines // 0)"'
}

printf '%-5s %-22s %9s %9s %9s %7s %7s %7s %9s %9s\n' \
    file case norv_ms grep_ms rg_ms x_grep x_rg target norv_lines grep_lines
for file in "$corpus/large/sjis.lf.txt" "$corpus/large/utf8.lf.txt"; do
    [ -r "$file" ] || { echo "no $file: run make-corpus.sh" >&2; exit 2; }
    case $file in
        *utf8*) tag=utf8; many=$(printf '\343\201\231\343\202\213') ;;  # "する"
        *) tag=sjis; many=$(printf '\202\267\202\351') ;;
    esac
    editor_cases "$file" > "$scratch/editor.txt"
    while IFS=';' read -r name target flags pattern; do
        rpattern=$pattern
        if [ "$pattern" = MANY ]; then
            pattern=$many
            # rg takes patterns in UTF-8 only: it decodes the Shift-JIS file instead.
            rpattern=$(printf '\343\201\231\343\202\213')
        fi
        read -r _ ms lines < <(grep "^$name " "$scratch/editor.txt" || echo "$name -1 0")
        # The pattern travels in the environment: Shift-JIS bytes are no valid command text.
        export PAT=$pattern RPAT=$rpattern FILE=$file
        rflags=${flags/-E/}  # rg's -E names an encoding; its patterns are extended already
        [ "$tag" = sjis ] && [ "$rpattern" != "$pattern" ] && rflags="$rflags -E shift_jis"
        g=$(outside_ms "grep -c $flags \"\$PAT\" \"\$FILE\"")
        r=$(outside_ms "rg -c $rflags \"\$RPAT\" \"\$FILE\"")
        gl=$(grep -c $flags "$pattern" "$file" || true)
        awk -v f="$tag" -v n="$name" -v a="$ms" -v g="$g" -v r="$r" -v t="$target" \
            -v l="$lines" -v gl="$gl" 'BEGIN {
                gg = g < 1 ? 1 : g; rr = r < 1 ? 1 : r
                printf "%-5s %-22s %9d %9d %9d %7.1f %7.1f %7s %9d %9d\n", f, n, a, g, r, a / gg, a / rr, t, l, gl }'
    done <<EOF
plain/absent;5x;-F;zqxjkvw
plain/mark_all;-;-F;MANY
ignore_case/mark_all;-;-i -F;include
regex/mark_all;10x;-E;colou?r|int[a-z]+_t
EOF
done
