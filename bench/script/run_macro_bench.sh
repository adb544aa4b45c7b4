#!/bin/sh
# Playing a key macro of 100,000 typed characters and 10,000 commands (lines of ten characters,
# each ended by Enter) into an empty document, beside vim -es replaying the same keys from a
# register with :normal in the same run (less vim's own start and end with an empty register),
# and the ratio.
# Usage: bench/script/run_macro_bench.sh BUILD_DIR   (a Release build with NORV_BENCH=ON)
set -eu
build=${1:?usage: $0 BUILD_DIR}
bench=$build/bench/script/macro_play_bench
command -v vim >/dev/null || { echo "bench: vim is missing" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" <<'PY'
import sys
tmp = sys.argv[1]
keys = "i" + "".join("".join(chr(97 + (line + i) % 26) for i in range(10)) + "\r"
                     for line in range(10000)) + "\x1b"
open(f"{tmp}/keys", "w").write(keys)
open(f"{tmp}/none", "w").write("")
for name, source in (("full", "keys"), ("base", "none")):
    open(f"{tmp}/{name}.vim", "w").write(
        f"let @q = join(readfile('{tmp}/{source}', 'b'), \"\\n\")\n"
        "normal! @q\n"
        f"write! {tmp}/{name}.out\nqa!\n")
PY

vimrun() {
  start=$(date +%s.%N)
  vim -u NONE -i NONE -N -n -es -S "$tmp/$1.vim" </dev/null >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
base=$(vimrun base)
full=$(vimrun full)
lines=$(wc -l < "$tmp/full.out")
NORV_ACP=932 "$bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null > "$tmp/norv.csv"

python3 - "$tmp/norv.csv" "$base" "$full" "$lines" <<'PY'
import csv, sys
unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
norv = None
for row in csv.reader(l for l in open(sys.argv[1]) if l.startswith(('"BM', "BM"))):
    if row[0].strip('"').endswith("_median"):
        norv = float(row[2]) * unit[row[4]]
vim = float(sys.argv[3]) - float(sys.argv[2])
print(f"norv, the macro played:               {norv * 1e3:8.1f} ms")
print(f"vim -es, :normal @q ({sys.argv[4].strip()} lines, less start): {vim * 1e3:8.1f} ms")
print(f"norv / vim = {norv / vim:.2f}x (target: below 1)")
PY
