#!/bin/sh
# A million typed characters through the key input, beside vim reading the same keystrokes from
# a file in the same run (vim -u NONE -s keys, less vim's own start and end with an empty key
# file), and the ratio.
# Usage: bench/app/run_key_input_bench.sh BUILD_DIR   (a Release build with NORV_BENCH=ON)
set -eu
build=${1:?usage: $0 BUILD_DIR}
bench=$build/bench/app/key_input_bench
command -v vim >/dev/null || { echo "bench: vim is missing" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The same keys: insert mode, lines of 60 characters ended by Enter, Escape, write and quit.
python3 - "$tmp/keys" "$tmp/empty" <<'PY'
import sys
chars = []
for i in range(1000000):
    if i % 61 == 60:
        chars.append("\r")
        continue
    k = i % 37
    chars.append(chr(97 + k) if k < 26 else chr(48 + k - 26) if k < 36 else " ")
open(sys.argv[1], "w").write("i" + "".join(chars) + "\x1b:wq\r")
open(sys.argv[2], "w").write(":wq\r")
PY

vimrun() {
  start=$(date +%s.%N)
  vim -u NONE -i NONE -N -n -s "$1" "$tmp/out.txt" </dev/null >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
rm -f "$tmp/out.txt"; base=$(vimrun "$tmp/empty")
rm -f "$tmp/out.txt"; full=$(vimrun "$tmp/keys")
NORV_ACP=932 "$bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null > "$tmp/norv.csv"

python3 - "$tmp/norv.csv" "$base" "$full" <<'PY'
import csv, sys
unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
norv = None
for row in csv.reader(l for l in open(sys.argv[1]) if l.startswith(('"BM', "BM"))):
    if row[0].strip('"').endswith("_median"):
        norv = float(row[2]) * unit[row[4]]
vim = float(sys.argv[3]) - float(sys.argv[2])
print(f"norv, a million keys through Press: {norv * 1e3:8.1f} ms")
print(f"vim -s, the same keys (less start):  {vim * 1e3:8.1f} ms")
print(f"norv / vim = {norv / vim:.2f}x (target: at most 2x)")
PY
