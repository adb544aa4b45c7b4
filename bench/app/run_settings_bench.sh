#!/bin/sh
# Runs the settings-load benchmark on a settings file of 2,000 keys (every key of the table
# plus a large bar layout), beside an outside anchor in the same run (Python's configparser
# reading every key of the same file), and prints ratios.
# Usage: bench/app/run_settings_bench.sh BUILD_DIR   (a Release build with NORV_BENCH=ON)
set -eu
build=${1:?usage: $0 BUILD_DIR}
bench=$build/bench/app/settings_load_bench
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
file=$tmp/norv.INI

NORV_BENCH_SETTINGS_OUT=$file NORV_ACP=932 "$bench"

NORV_ACP=932 "$bench" --benchmark_format=csv 2>/dev/null > "$tmp/norv.csv"

python3 - "$file" "$tmp/norv.csv" <<'PY'
import configparser, csv, sys, time
path, results = sys.argv[1], sys.argv[2]
def anchor():
    p = configparser.RawConfigParser(strict=False)
    p.optionxform = str
    p.read(path, encoding="latin-1")  # the file is in code page 932
    total = 0
    for s in p.sections():
        for k in p[s]:
            total += len(p[s][k])
    return total
runs, start = 0, time.perf_counter()
while time.perf_counter() - start < 1.0:
    anchor(); runs += 1
anchor_ns = (time.perf_counter() - start) / runs * 1e9
unit = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
times = {}
for row in csv.reader(l for l in open(results) if l.startswith(("name", '"BM', "BM"))):
    if row[0] == "name":
        continue
    times[row[0].strip('"')] = float(row[3]) * unit[row[4]]
print(f"{'benchmark':24} {'time':>12} {'vs one pass':>12} {'vs configparser':>16}")
for name, t in times.items():
    print(f"{name:24} {t/1e3:10.1f}us {t/times['BM_OnePass']:11.2f}x {t/anchor_ns:15.3f}x")
print(f"{'configparser (anchor)':24} {anchor_ns/1e3:10.1f}us")
PY
