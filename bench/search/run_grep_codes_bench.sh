#!/usr/bin/env bash
# Times find in files reading every file in its own code (GrepDecode 1) beside grep and ripgrep
# over a tree where the same Japanese manual pages lie in Shift-JIS, EUC-JP, UTF-8 and JIS,
# in the same run, and prints the ratios and the hit counts.
#
#   run_grep_codes_bench.sh [BUILD_DIR] [CORPUS]
#
# BUILD_DIR: a release build with -DNORV_BENCH=ON (default: build-bench beside the sources);
#            its bin/norv is timed end to end (norv --headless -A) when it is there.
# CORPUS:    made by /work/shared/corpus/make-corpus.sh (default: ${TMPDIR:-/tmp}/norv-corpus);
#            its tree/ (include files, manual pages in Shift-JIS with CR LF under ja-sjis/) is
#            copied and the manual pages converted beside it. Without a corpus a smaller tree
#            is made here: TREE_SRC (default /usr/include/linux) and the manual pages of
#            manpages-ja.
# RUNS=5     timed runs of each command (after one warm-up); the median counts.
#
# Cases: a rare ASCII string, a frequent one, a Japanese word and a regular expression
# (grep -E). grep and rg get the Japanese word's Shift-JIS bytes (rg with -E shift_jis reads
# the files as Shift-JIS), so they find it only in the files of that code: the hit counts show
# that only the editor finds it in every code. Everything writes to a file (the outside tools
# stop at the first match when the output is /dev/null). Target: within 2x of grep -rn.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
corpus=${2:-${TMPDIR:-/tmp}/norv-corpus}
runs=${RUNS:-5}
bench=$build/bench/search/grep_bench
norv=$build/src/gui/norv
[ -x "$bench" ] || { echo "no $bench: build with -DNORV_BENCH=ON" >&2; exit 2; }
for t in grep rg hyperfine jq iconv; do
    command -v "$t" >/dev/null || { echo "missing $t (apt-get install -y ripgrep hyperfine jq)" >&2; exit 2; }
done
export LC_ALL=C

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
mkdir -p "$tree"

# Keep only what ISO-2022-JP (JIS X 0208 and ASCII) carries, so that every code holds the text.
sanitize() { { iconv -c -f UTF-8 -t ISO-2022-JP || true; } | iconv -f ISO-2022-JP -t UTF-8 | tr -d '\r'; }
if [ -d "$corpus/tree/ja-sjis" ]; then
    cp -r "$corpus/tree/." "$tree/"
else
    src=${TREE_SRC:-/usr/include/linux}
    echo "no corpus at $corpus: a tree of $src and the manual pages of manpages-ja" >&2
    cp -rL "$src" "$tree/include" 2>/dev/null || true
    find "$tree/include" ! -type f ! -type d -delete
    mkdir -p "$tree/ja-sjis"
    n=0
    for page in /usr/share/man/ja/man1/*.gz; do
        name=$(basename "$page" .gz)
        zcat "$page" | sanitize | sed 's/$/\r/' | iconv -f UTF-8 -t SHIFT_JIS > "$tree/ja-sjis/$name" || rm -f "$tree/ja-sjis/$name"
        n=$((n + 1))
        [ "$n" -lt "${PAGES:-400}" ] || break
    done
fi
# The Shift-JIS manual pages beside themselves in EUC-JP, UTF-8 and JIS.
for code in EUC-JP UTF-8 ISO-2022-JP; do
    dir=$tree/ja-$(echo "$code" | tr 'A-Z' 'a-z')
    mkdir -p "$dir"
    (cd "$tree/ja-sjis" && find . -type f) | while read -r rel; do
        mkdir -p "$dir/$(dirname "$rel")"
        iconv -f SHIFT_JIS -t "$code" "$tree/ja-sjis/$rel" > "$dir/$rel" || rm -f "$dir/$rel"
    done
done
echo "tree: $(find "$tree" -type f | wc -l) files, $(du -sh "$tree" | cut -f1)" >&2

# Median wall time of a shell command in milliseconds; its output goes to $scratch/out.
outside_ms() {
    hyperfine --shell=bash --style none -i --warmup 1 --runs "$runs" --export-json "$scratch/h.json" \
        "$1 > $scratch/out" >/dev/null 2>&1 || { echo "-1"; return; }
    jq -r '.results[0].median * 1000 | floor' "$scratch/h.json"
}
lines() { wc -l < "$scratch/out" | tr -d ' '; }

# End to end: the editor run without windows on a script that calls GREP once.
e2e_ms() {
    [ -x "$norv" ] || { echo "-"; return; }
    mkdir -p "$scratch/home" "$scratch/cfg"
    printf 'MAIN\nDIM n\nn = GREP(ENVIRON("PAT"), ENVIRON("TREE"), "*", ENVIRON("OPT"))\nEND MAIN\n' > "$scratch/grep.nrs"
    export PAT=$1 TREE=$tree/ OPT=$2 HOME=$scratch/home NORVHOME=$scratch/cfg NORV_ACP=932 \
        QT_QPA_PLATFORM=offscreen
    outside_ms "\"$norv\" --headless -A $scratch/grep.nrs"
}

japanese=$(printf 'する' | iconv -f UTF-8 -t SHIFT_JIS)
printf '%-9s %8s %8s %8s %8s %8s %7s %7s %6s %9s %9s %9s\n' \
    case norv_ms e2e_ms grep_ms rg1_ms rg_ms x_grep x_rg1 target norv_hits grep_hits rg_hits
status=0
while IFS=';' read -r name pattern options grep_flags target; do
    rg_pattern=$pattern
    [ "$name" = japanese ] && pattern=$japanese && rg_pattern=$(printf 'する')
    read -r norv_ms norv_hits < <(GREP_DECODE=1 "$bench" "$tree/" "$pattern" "U$options" "$runs")
    e2e=$(e2e_ms "$pattern" "U$options")
    q=$(printf '%q' "$pattern")
    rq=$(printf '%q' "$rg_pattern")
    grep_ms=$(outside_ms "grep -rn$grep_flags -- $q $tree")
    grep_hits=$(lines)
    rg1_ms=$(outside_ms "rg -n -j1 -E shift_jis --no-ignore --no-messages -- $rq $tree")
    rg_hits=$(lines)
    rg_ms=$(outside_ms "rg -n -E shift_jis --no-ignore --no-messages -- $rq $tree")
    x_grep=$(awk -v a="$norv_ms" -v b="$grep_ms" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    x_rg1=$(awk -v a="$norv_ms" -v b="$rg1_ms" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    printf '%-9s %8s %8s %8s %8s %8s %7s %7s %6s %9s %9s %9s\n' "$name" "$norv_ms" "$e2e" \
        "$grep_ms" "$rg1_ms" "$rg_ms" "$x_grep" "$x_rg1" "$target" "$norv_hits" "$grep_hits" "$rg_hits"
    awk -v x="$x_grep" -v t="$target" 'BEGIN { exit !(x <= t) }' ||
        { echo "  $name: slower than ${target}x grep -rn" >&2; status=1; }
done <<'EOF'
rare;sigaltstack;;;2
frequent;include;;;2
japanese;-;;;2
regex;colou?r|int[a-z]+_t;R;E;2
EOF
exit $status
