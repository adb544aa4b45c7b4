#!/bin/sh
# Deformat and Format of a whole English text beside fmt -w 80, and Indent of every line of a
# large document beside sed, each outside tool on the same file in the same run (ratios, as the
# machines are noisy).
#   bench/editing/run_paragraph.sh [build-folder]
# NORV_BENCH_TEXT: the English text (default: 10 MB made from the licence texts of
# /usr/share/common-licenses); NORV_BENCH_FILE: the large document for Indent (default
# /tmp/norv-corpus/large/sjis.lf.txt).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-edit}
big=${NORV_BENCH_FILE:-/tmp/norv-corpus/large/sjis.lf.txt}
[ -f "$big" ] || { echo "bench: no corpus file $big" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
text=${NORV_BENCH_TEXT:-}
if [ -z "$text" ]; then
  text=$work/english.txt
  while [ "$(wc -c <"$text" 2>/dev/null || echo 0)" -lt 10485760 ]; do
    cat /usr/share/common-licenses/GPL-3 /usr/share/common-licenses/Apache-2.0 >>"$text"
  done
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" norv_paragraph_bench >/dev/null
bench=$build/bench/editing/norv_paragraph_bench

seconds() {  # the best of three runs of a command, in seconds
  python3 - "$@" <<'PY'
import subprocess, sys, time
best = None
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)
    d = time.perf_counter() - t
    best = d if best is None or d < best else best
print(best)
PY
}
ours() {  # the median of our benchmark, in seconds
  NORV_ACP=932 NORV_BENCH_FILE=$2 "$bench" --benchmark_filter="^$1(/|$)" \
    --benchmark_out="$work/out.json" --benchmark_out_format=json >/dev/null
  python3 -c 'import json,sys; b=json.load(open(sys.argv[1]))["benchmarks"][0]; print(b["real_time"]/1000)' "$work/out.json"
}
fmt_s=$(seconds fmt -w 80 "$text")
sed_s=$(seconds sed 's/^./\t&/' "$big")
deformat_s=$(ours BM_Deformat "$text")
format_s=$(ours BM_Format "$text")
indent_s=$(ours BM_Indent "$big")
python3 - "$fmt_s" "$sed_s" "$deformat_s" "$format_s" "$indent_s" "$(wc -c <"$text")" "$(wc -c <"$big")" <<'PY'
import sys
fmt, sed, deformat, fmt_ours, indent, tsize, bsize = map(float, sys.argv[1:])
print(f"English text {tsize / 1e6:.1f} MB; document {bsize / 1e6:.1f} MB")
print(f"fmt -w 80           {fmt:8.3f} s")
print(f"Deformat            {deformat:8.3f} s   {deformat / fmt:5.2f} x fmt (target within 2x)")
print(f"Format              {fmt_ours:8.3f} s   {fmt_ours / fmt:5.2f} x fmt (target within 2x)")
print(f"sed 's/^./\\t&/'     {sed:8.3f} s")
print(f"Indent every line   {indent:8.3f} s   {indent / sed:5.2f} x sed (target within 3x)")
PY
