#!/bin/sh
# Sort, Convert and Compare on the large corpus beside the outside tools in the same run:
#   bench/editing/run_sort_convert.sh [build-folder]
# Sort of the Shift-JIS document against `LC_ALL=C sort -s` and `sort`, with compare-after "/"
# against `sort -t/ -k2`; UPPER ALL of the UTF-8 document against `tr a-z A-Z`; width down
# against `nkf -Z0` (when installed) and `uconv -x Fullwidth-Halfwidth`, kana up against
# `uconv -x Halfwidth-Fullwidth`; Tab to Space against `expand`; Compare of the document with
# itself and with 1000 scattered edits against `cmp` and `diff`. Each line prints the tool's
# time divided by norv's (above 1: norv is ahead). The documents are loaded before timing.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-edit}
sjis=${NORV_BENCH_SJIS:-/tmp/norv-corpus/large/sjis.lf.txt}
utf8=${NORV_BENCH_UTF8:-/tmp/norv-corpus/large/utf8.lf.txt}
for f in "$sjis" "$utf8"; do [ -f "$f" ] || { echo "bench: no corpus file $f" >&2; exit 1; }; done
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" norv_sort_convert_bench >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
NORV_ACP=932 NORV_BENCH_SJIS=$sjis NORV_BENCH_UTF8=$utf8 \
  "$build/bench/editing/norv_sort_convert_bench" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_out="$tmp/norv.json" \
  --benchmark_out_format=json >/dev/null

# The edited copy of the Compare benchmark: 1000 lines replaced, evenly spread.
awk -v n="$(wc -l < "$sjis")" 'BEGIN { step = int(n / 1001) } NR % step == 0 && NR / step <= 1000 { print "an edited line"; next } { print }' "$sjis" > "$tmp/edited.txt"
# Two names of one file make cmp and diff stop at once: they compare a copy.
cp "$sjis" "$tmp/same.txt"
utf8sjis=$tmp/sjis.utf8.txt
iconv -f CP932 -t UTF-8 "$sjis" > "$utf8sjis" 2>/dev/null || true

# Median of three runs of a command, in seconds.
t() {
  for i in 1 2 3; do
    s=$(date +%s.%N); sh -c "$1" >/dev/null 2>&1 || true; e=$(date +%s.%N)
    echo "$e - $s" | bc
  done | sort -n | sed -n 2p
}
{
  echo "SortLines sort-s $(t "LC_ALL=C sort -s '$sjis'")"
  echo "SortLines sort $(t "sort '$sjis'")"
  echo "SortAfterSlash sort-t/-k2 $(t "LC_ALL=C sort -s -t/ -k2 '$sjis'")"
  echo "UpperAll tr $(t "tr a-z A-Z < '$utf8'")"
  if command -v nkf >/dev/null; then echo "WidthDown nkf-Z0 $(t "nkf -Z0 -s '$sjis'")"; fi
  echo "WidthDown uconv $(t "uconv -f utf-8 -t utf-8 -x Fullwidth-Halfwidth '$utf8sjis'")"
  echo "KanaUp uconv $(t "uconv -f utf-8 -t utf-8 -x Halfwidth-Fullwidth '$utf8sjis'")"
  echo "TabToSpace expand $(t "expand '$sjis'")"
  echo "CompareSame cmp $(t "cmp '$sjis' '$tmp/same.txt'")"
  echo "CompareSame diff $(t "diff '$sjis' '$tmp/same.txt'")"
  echo "CompareEdited diff $(t "diff '$sjis' '$tmp/edited.txt'")"
} > "$tmp/tools.txt"

python3 - "$tmp/norv.json" "$tmp/tools.txt" <<'PY'
import json, sys
norv = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    norv[b["run_name"].split("/")[0][3:]] = b["real_time"] * unit
print(f"{'norv':<16}{'seconds':>9}  {'tool':<12}{'seconds':>9}  tool / norv")
for line in open(sys.argv[2]):
    name, tool, secs = line.split()
    n = norv[name]
    print(f"{name:<16}{n:>9.3f}  {tool:<12}{float(secs):>9.3f}  {float(secs) / n:>6.2f}x")
PY
