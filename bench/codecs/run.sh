#!/bin/sh
# Builds the codec benchmark (release, g++) when needed, runs it with the iconv anchors in the
# same process, and prints each conversion's throughput beside iconv's and their ratio.
#   bench/codecs/run.sh [build-folder] [extra benchmark arguments...]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-codecs}
[ $# -gt 0 ] && shift
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" codecs_bench >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
NORV_ACP=932 "$build/bench/codecs/codecs_bench" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out" --benchmark_out_format=json \
  "$@" >/dev/null
python3 - "$out" <<'PY'
import json, sys
rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    conv, who = b["run_name"].rsplit("_", 1)
    rows.setdefault(conv, {})[who] = b["bytes_per_second"] / 1e6
print(f"{'conversion':<14}{'norv MB/s':>12}{'iconv MB/s':>12}{'ratio':>8}")
for conv, r in rows.items():
    if "Norv" in r and "Iconv" in r:
        print(f"{conv:<14}{r['Norv']:>12.0f}{r['Iconv']:>12.0f}{r['Norv'] / r['Iconv']:>7.1f}x")
PY
