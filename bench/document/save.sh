#!/usr/bin/env bash
# Saving and converting the large Shift-JIS corpus file, beside the outside anchors in one run:
#   - saving the loaded document unchanged (flushed to disk) versus vim's write of the same file
#     (vim open+write minus vim open) and cp (the floor);
#   - converting to EUC-JP and to UTF-8 with norvconv (load and save together) versus iconv and nkf.
#
#   bench/document/save.sh [CORPUS]     CORPUS defaults to ${TMPDIR:-/tmp}/norv-corpus
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
C=${1:-${TMPDIR:-/tmp}/norv-corpus}
build=$root/build-bench
for t in hyperfine vim nkf iconv jq; do
  command -v "$t" >/dev/null || { echo "bench: missing $t" >&2; exit 1; }
done
f=$C/large/sjis.lf.txt
[ -f "$f" ] || { echo "bench: no large corpus at $C" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORV_TESTS=OFF -DNORV_GUI=OFF \
  -DNORV_BENCH=ON >/dev/null
cmake --build "$build" --target norvconv norv_load_bench >/dev/null
conv=$build/src/tools/norvconv/norvconv
export NORV_ACP=932 LC_ALL=C
W=$(mktemp -d "${TMPDIR:-/tmp}/norv-bench-XXXXXX"); trap 'rm -rf "$W"' EXIT
median() {
  hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-json "$W/h.json" "$1" >/dev/null 2>&1
  jq -r '.results[0].median' "$W/h.json"
}
vim="vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=ucs-bom,utf-8,cp932,euc-jp'"
vopen=$(median "$vim -c 'q!' '$f'")
vwrite=$(median "$vim -c 'w! $W/v.txt' -c 'q!' '$f'")
cpt=$(median "cp '$f' '$W/c.txt'")
save=$(NORV_BENCH_FILES=$f NORV_BENCH_OUT=$W/n.txt "$build/bench/document/norv_load_bench" \
  --benchmark_filter=SaveDocument --benchmark_format=json 2>/dev/null |
  jq -r '[.benchmarks[] | select(.run_type == "iteration")][0].real_time / 1000')
awk -v s="$save" -v vo="$vopen" -v vw="$vwrite" -v c="$cpt" 'BEGIN {
  w = vw - vo
  printf "| save of the loaded 85 MB Shift-JIS document | norv %.3f s | vim write %.3f s (open+write %.3f - open %.3f) | cp %.3f s | vim / norv %.1fx |\n", s, w, vw, vo, c, w / s }'
for t in euc:EUC-JP-MS:-e utf8:UTF-8:-w; do
  code=${t%%:*}; rest=${t#*:}; to=${rest%%:*}; nk=${rest#*:}
  n=$(median "'$conv' -t $code -o '$W/o.txt' '$f'")
  i=$(median "iconv -f CP932 -t $to '$f' > '$W/i.txt'")
  k=$(median "nkf -S $nk '$f' > '$W/k.txt'")
  awk -v c="$code" -v n="$n" -v i="$i" -v k="$k" 'BEGIN {
    printf "| convert Shift-JIS to %s | norvconv %.3f s | iconv %.3f s | nkf %.3f s | iconv / norv %.2fx | nkf / norv %.1fx |\n", c, n, i, k, i / n, k / n }'
done
