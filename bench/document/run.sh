#!/usr/bin/env bash
# Loading the large corpus files, beside the outside anchors in the same run:
#   iconv converting the file to UTF-8, `wc -l` (the scan floor) and vim opening it.
# Prints wall times (hyperfine medians), the ratios, and peak memory against vim's.
#
#   bench/document/run.sh [CORPUS]     CORPUS defaults to ${TMPDIR:-/tmp}/norv-corpus
# Needs the large corpus (../shared/corpus/make-corpus.sh), hyperfine, vim, GNU time.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
C=${1:-${TMPDIR:-/tmp}/norv-corpus}
build=$root/build-bench
for t in hyperfine vim /usr/bin/time jq; do
  command -v "$t" >/dev/null || { echo "bench: missing $t (apt-get install hyperfine vim-nox time jq)" >&2; exit 1; }
done
[ -f "$C/large/sjis.lf.txt" ] || { echo "bench: no large corpus at $C" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORV_TESTS=OFF -DNORV_GUI=OFF \
  -DNORV_BENCH=ON >/dev/null
cmake --build "$build" --target norvconv norv_load_bench >/dev/null
conv=$build/src/tools/norvconv/norvconv
export NORV_ACP=932 LC_ALL=C
W=$(mktemp -d); trap 'rm -rf "$W"' EXIT

median() {  # hyperfine median of a command, in seconds
  hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-json "$W/h.json" "$1" >/dev/null 2>&1
  jq -r '.results[0].median' "$W/h.json"
}
peak() {  # peak RSS in MB, best of 3
  local best=0 m
  for _ in 1 2 3; do
    /usr/bin/time -f '%M' -o "$W/t" sh -c "$1" >/dev/null 2>&1 || true
    m=$(( $(tail -n1 "$W/t") / 1024 ))
    if [ "$best" = 0 ] || [ "$m" -lt "$best" ]; then best=$m; fi
  done
  echo "$best"
}
vimcmd() { echo "vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=ucs-bom,utf-8,cp932,euc-jp' -c 'q!' '$1'"; }

printf '| file | norv load | iconv to UTF-8 | wc -l | vim open | iconv / norv | vim / norv | norv MB | vim MB | norv / vim memory |\n'
printf '|---|---|---|---|---|---|---|---|---|---|\n'
for f in sjis.lf:CP932 eucjp.lf:EUC-JP-MS utf8.lf:UTF-8; do
  file=$C/large/${f%%:*}.txt; from=${f#*:}
  n=$(median "'$conv' '$file'")
  i=$(median "iconv -f $from -t UTF-8 '$file' > /dev/null")
  w=$(median "wc -l '$file' > /dev/null")
  v=$(median "$(vimcmd "$file")")
  nm=$(peak "'$conv' '$file'")
  vm=$(peak "$(vimcmd "$file")")
  awk -v f="${f%%:*}" -v n="$n" -v i="$i" -v w="$w" -v v="$v" -v nm="$nm" -v vm="$vm" 'BEGIN {
    printf "| %s | %.3f s | %.3f s | %.3f s | %.3f s | %.1fx | %.1fx | %d | %d | %.2f |\n",
      f, n, i, w, v, i / n, v / n, nm, vm, nm / vm }'
done
echo
echo "In-process load (Google Benchmark, no process start or exit):"
NORV_BENCH_FILES=$C/large/sjis.lf.txt:$C/large/eucjp.lf.txt:$C/large/utf8.lf.txt \
  "$build/bench/document/norv_load_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
  grep -E 'median|Benchmark'
