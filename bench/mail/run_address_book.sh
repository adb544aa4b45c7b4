#!/bin/bash
# Builds the address-book benchmark (release, g++, with the Qt windows) when needed, writes a
# group of 10,000 Japanese entries (and some lines without "@"), and prints the time to read it
# and fill the Address Book's entry list beside awk -F'\t' '$1 ~ /@/' on the same file.
#   bench/mail/run_address_book.sh [build-folder]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-book}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF >/dev/null
fi
ninja -C "$build" address_book_bench >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/addrbook"
/usr/bin/python3 - "$dir/addrbook/Usual.adr" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    for i in range(10000):
        f.write(("user%05d@example.jp\t山田 太郎 %d\r\n" % (i, i)).encode("cp932"))
        if i % 100 == 0:
            f.write(b"# a comment without an address\r\n")
PY
out=$(QT_QPA_PLATFORM=offscreen NORV_BENCH_BOOK=$dir "$build/bench/mail/address_book_bench" \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_format=json 2>/dev/null)
norv=$(echo "$out" | /usr/bin/python3 -c 'import json,sys
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median": print(b["real_time"] / 1000)')
awk=$(/usr/bin/python3 - "$dir/addrbook/Usual.adr" <<'PY'
import subprocess, sys, time
ts = []
for _ in range(5):
    t = time.perf_counter()
    subprocess.run(["awk", "-F\t", "$1 ~ /@/", sys.argv[1]], check=True, stdout=subprocess.DEVNULL)
    ts.append(time.perf_counter() - t)
print(sorted(ts)[2])
PY
)
/usr/bin/python3 -c "n, a = $norv, $awk
print(f'10,000 entries: Address Book {n * 1000:.1f} ms, awk {a * 1000:.1f} ms ({n / a:.2f}x, target 5x at most)')"
