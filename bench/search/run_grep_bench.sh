#!/usr/bin/env bash
# Times find in files (grep_bench: the walk, the matcher and the output document, as the Grep
# command runs them) beside grep and ripgrep over the same folder tree, in the same run, and
# prints the ratios.
#
#   run_grep_bench.sh [BUILD_DIR] [CORPUS]
#
# BUILD_DIR: a release build with -DNORV_BENCH=ON (default: build-bench beside the sources).
# CORPUS:    made by /work/shared/corpus/make-corpus.sh (default: ${TMPDIR:-/tmp}/norv-corpus);
#            its tree/ is searched (include files, and the manual pages in Shift-JIS with CR LF).
# RUNS=5     timed runs of each command (after one warm-up); the median counts.
#
# Cases: a rare ASCII string, a frequent one, a Japanese word (its Shift-JIS bytes for grep and
# rg) and a regular expression (grep -E). The outside tools write to a file (they stop at the
# first match when the output is /dev/null); the editor writes into its output document. The
# hit counts of the three must agree. Targets: plain strings within 1.5x of grep -rn, the
# regular expression within 3x of grep -rnE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
corpus=${2:-${TMPDIR:-/tmp}/norv-corpus}
runs=${RUNS:-5}
bench=$build/bench/search/grep_bench
tree=$corpus/tree
[ -x "$bench" ] || { echo "no $bench: build with -DNORV_BENCH=ON" >&2; exit 2; }
[ -d "$tree/ja-sjis" ] || { echo "no $tree: run make-corpus.sh" >&2; exit 2; }
for t in grep rg hyperfine jq iconv; do
    command -v "$t" >/dev/null || { echo "missing $t (apt-get install -y ripgrep hyperfine jq)" >&2; exit 2; }
done
export LC_ALL=C
# The byte search as designed (run_grep_codes_bench.sh measures the reading in every code).
export GREP_DECODE=${GREP_DECODE:-0}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Median wall time of a shell command in milliseconds; its output goes to $scratch/out.
outside_ms() {
    hyperfine --shell=bash --style none -i --warmup 1 --runs "$runs" --export-json "$scratch/h.json" \
        "$1 > $scratch/out" >/dev/null 2>&1 || { echo "-1"; return; }
    jq -r '.results[0].median * 1000 | floor' "$scratch/h.json"
}
lines() { wc -l < "$scratch/out" | tr -d ' '; }

# End to end, reported: the editor run without windows on a script that calls GREP once (with
# the settings of a new user, so each file is read in its own code).
norv=$build/src/gui/norv
e2e_ms() {
    [ -x "$norv" ] || { echo "-"; return; }
    mkdir -p "$scratch/home" "$scratch/cfg"
    printf 'MAIN\nDIM n\nn = GREP(ENVIRON("PAT"), ENVIRON("TREE"), "*", ENVIRON("OPT"))\nEND MAIN\n' > "$scratch/grep.nrs"
    PAT=$1 TREE=$tree/ OPT=$2 HOME=$scratch/home NORVHOME=$scratch/cfg NORV_ACP=932 \
        QT_QPA_PLATFORM=offscreen outside_ms "\"$norv\" --headless -A $scratch/grep.nrs"
}

japanese=$(printf 'する' | iconv -f UTF-8 -t SHIFT_JIS)
printf '%-10s %8s %8s %8s %8s %8s %7s %7s %7s %9s %9s %9s\n' \
    case norv_ms e2e_ms grep_ms rg1_ms rg_ms x_grep x_rg1 target norv_hits grep_hits rg_hits
status=0
while IFS=';' read -r name pattern options grep_flags target; do
    rg_pattern=$pattern
    if [ "$name" = japanese ]; then
        pattern=$japanese
        # rg reads its pattern as UTF-8: the Shift-JIS bytes go as escapes of raw bytes.
        rg_pattern="(?-u:$(printf %s "$japanese" | od -An -tx1 | tr -d ' \n' | sed 's/../\\x&/g'))"
    fi
    read -r norv_ms norv_hits < <("$bench" "$tree/" "$pattern" "U$options" "$runs")
    e2e=$(e2e_ms "$pattern" "U$options")
    q=$(printf '%q' "$pattern")
    rq=$(printf '%q' "$rg_pattern")
    grep_ms=$(outside_ms "grep -rn$grep_flags -- $q $tree")
    grep_hits=$(lines)
    rg1_ms=$(outside_ms "rg -n -j1 --no-ignore --no-messages -- $rq $tree")
    rg_hits=$(lines)
    rg_ms=$(outside_ms "rg -n --no-ignore --no-messages -- $rq $tree")
    x_grep=$(awk -v a="$norv_ms" -v b="$grep_ms" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    x_rg1=$(awk -v a="$norv_ms" -v b="$rg1_ms" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    printf '%-10s %8s %8s %8s %8s %8s %7s %7s %7s %9s %9s %9s\n' "$name" "$norv_ms" "$e2e" "$grep_ms" \
        "$rg1_ms" "$rg_ms" "$x_grep" "$x_rg1" "$target" "$norv_hits" "$grep_hits" "$rg_hits"
    [ "$norv_hits" = "$grep_hits" ] || { echo "  $name: the hit counts differ from grep" >&2; status=1; }
done <<'EOF'
rare;sigaltstack;;;1.5
frequent;include;;;1.5
japanese;-;;;1.5
regex;colou?r|int[a-z]+_t;R;E;3
EOF
exit $status
