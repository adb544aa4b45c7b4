#!/bin/sh
# Archives from the Open dialog beside unzip in the same run:
#   bench/tools/run_archive_bench.sh [build-folder]
# 1. Checking the names of a 100,000-entry ZIP (read from its central directory, each checked
#    against the destination) beside `unzip -Z1` listing them.
# 2. Extracting a 20,000-file ZIP through the dialog's code path (names checked, then the
#    configured `unzip -o %1 -d %2`) beside running `unzip -o` on it directly.
# Each line prints norv's time, the anchor's and the ratio norv/anchor (below 1: norv is ahead).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-archive}
command -v unzip >/dev/null || { echo "bench: unzip is not installed" >&2; exit 1; }
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" norv_archive_bench >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" <<'PY'
import sys, zipfile
tmp = sys.argv[1]
with zipfile.ZipFile(tmp + "/names.zip", "w", zipfile.ZIP_STORED) as z:
    for i in range(100000):
        z.writestr("src/part%03d/file%06d.txt" % (i // 1000, i), "")
with zipfile.ZipFile(tmp + "/files.zip", "w", zipfile.ZIP_DEFLATED) as z:
    line = "日本語の文章と English text in one line, repeated.\n" * 20
    for i in range(20000):
        z.writestr("tree/dir%02d/file%05d.txt" % (i // 1000, i), line)
PY

mkdir -p "$tmp/norv"
NORV_BENCH_NAMES_ZIP=$tmp/names.zip NORV_BENCH_EXTRACT_ZIP=$tmp/files.zip \
  NORV_BENCH_EXTRACT_TO=$tmp/norv "$build/bench/tools/norv_archive_bench" \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$tmp/norv.json" --benchmark_out_format=json >/dev/null 2>"$tmp/err" ||
  { cat "$tmp/err" >&2; exit 1; }

# Median of three runs of a command, in seconds; $2 runs before each (not timed).
t() {
  for i in 1 2 3; do
    [ -n "${2:-}" ] && sh -c "$2"
    s=$(date +%s.%N); sh -c "$1" >/dev/null 2>&1 || true; e=$(date +%s.%N)
    echo "$e - $s" | bc
  done | sort -n | sed -n 2p
}
{
  echo "CheckNames unzip-Z1 $(t "unzip -Z1 '$tmp/names.zip'")"
  echo "Extract unzip-o $(t "unzip -o '$tmp/files.zip' -d '$tmp/unzip/x'" "rm -rf '$tmp/unzip'; mkdir -p '$tmp/unzip/x'")"
} > "$tmp/tools.txt"

python3 - "$tmp/norv.json" "$tmp/tools.txt" <<'PY'
import json, sys
norv = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    norv[b["run_name"].split("/")[0].replace("BM_", "")] = b["real_time"] * unit
for line in open(sys.argv[2]):
    name, tool, secs = line.split()
    n = norv[name]
    print("%-11s norv %.3f s  %-9s %.3f s  norv/anchor %.2f" % (name, n, tool, float(secs), n / float(secs)))
PY
