#!/bin/sh
# The spelling check beside Hunspell's own program in the same run:
#   bench/tools/run_spell_bench.sh [build-folder]
# The text is the system's licence texts repeated to 10 MB. norv opens its session (en_US and
# en_GB, each with its own affixes) and checks every word, the dialog answering "I&gnore All";
# the anchor is `hunspell -d en_US,en_GB -l` listing the words it does not accept in the same
# file. The line printed is the anchor's time divided by norv's (above 1: norv is ahead).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-spell}
command -v hunspell >/dev/null || { echo "bench: hunspell is not installed" >&2; exit 1; }
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" norv_spell_bench >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
text=$tmp/english.txt
: > "$text"
while [ "$(wc -c < "$text")" -lt 10485760 ]; do
  for f in /usr/share/common-licenses/*; do [ -f "$f" ] && cat "$f" >> "$text"; done
done
head -c 10485760 "$text" > "$tmp/t" && mv "$tmp/t" "$text"

NORV_ACP=932 NORV_BENCH_SPELL=$text "$build/bench/tools/norv_spell_bench" \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$tmp/norv.json" --benchmark_out_format=json >/dev/null

# Median of three runs of a command, in seconds.
t() {
  for i in 1 2 3; do
    s=$(date +%s.%N); sh -c "$1" >/dev/null 2>&1 || true; e=$(date +%s.%N)
    echo "$e - $s" | bc
  done | sort -n | sed -n 2p
}
echo "CheckIgnoreAll hunspell-l $(t "hunspell -d en_US,en_GB -l < '$text'")" > "$tmp/tools.txt"

python3 - "$tmp/norv.json" "$tmp/tools.txt" <<'PY'
import json, sys
norv = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    norv[b["run_name"].split("/")[0].replace("BM_", "")] = (b["real_time"] * unit, b)
for line in open(sys.argv[2]):
    name, tool, secs = line.split()
    n, b = norv[name]
    print("%-16s norv %.3f s (%d words, %d stops)  %-11s %.3f s  ratio %.2f" % (
        name, n, b.get("words", 0), b.get("stops", 0), tool, float(secs), float(secs) / n))
PY
