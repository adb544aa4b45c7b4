#!/bin/sh
# The long bookmark and brace commands beside grep and wc in the same run:
#   bench/editing/run_bookmarks.sh [build-folder]
# MarkCaption on the Shift-JIS corpus document against `grep -c` of the default headings
# (a line whose first non-blank is one of * - \ followed by a blank); OtherParen from a brace
# on the first line to its partner on the last against `grep -c` of that brace; NextMark and
# NextChanged from the top to the last of 2 M lines against `wc -l`. Each line prints the
# tool's time divided by norv's (above 1: norv is ahead). Documents are loaded before timing.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-edit}
file=${NORV_BENCH_FILE:-/tmp/norv-corpus/large/sjis.lf.txt}
[ -f "$file" ] || { echo "bench: no corpus file $file" >&2; exit 1; }
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" norv_bookmark_bench >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
{ echo '{'; tr -d '{}' < "$file"; printf '}'; } > "$tmp/braces.txt"
n=$(wc -l < "$file")
: > "$tmp/2m.txt"
while [ "$(wc -l < "$tmp/2m.txt")" -lt 2000000 ]; do cat "$file" >> "$tmp/2m.txt"; done
head -n 2000000 "$tmp/2m.txt" > "$tmp/lines.txt"
NORV_ACP=932 NORV_BENCH_FILE=$file NORV_BENCH_BRACES=$tmp/braces.txt NORV_BENCH_LINES=$tmp/lines.txt \
  "$build/bench/editing/norv_bookmark_bench" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_out="$tmp/norv.json" \
  --benchmark_out_format=json >/dev/null
t() {
  for i in 1 2 3; do
    s=$(date +%s.%N); sh -c "$1" >/dev/null 2>&1 || true; e=$(date +%s.%N)
    echo "$e - $s" | bc
  done | sort -n | sed -n 2p
}
{
  echo "MarkCaption grep-c $(t "LC_ALL=C grep -c '^[[:blank:]]*[-*\\\\][[:blank:]]' '$file'")"
  echo "OtherParen grep-c $(t "LC_ALL=C grep -c '}' '$tmp/braces.txt'")"
  echo "NextMark wc-l $(t "wc -l '$tmp/lines.txt'")"
  echo "NextChanged wc-l $(t "wc -l '$tmp/lines.txt'")"
} > "$tmp/tools.txt"
python3 - "$tmp/norv.json" "$tmp/tools.txt" "$n" <<'PY'
import json, sys
norv = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    norv[b["run_name"].split("/")[0][3:]] = b["real_time"] * unit
print(f"(corpus document: {sys.argv[3]} lines)")
print(f"{'norv':<14}{'seconds':>9}  {'tool':<10}{'seconds':>9}  tool / norv")
for line in open(sys.argv[2]):
    name, tool, secs = line.split()
    n = norv[name]
    print(f"{name:<14}{n:>9.3f}  {tool:<10}{float(secs):>9.3f}  {float(secs) / n:>6.2f}x")
PY
