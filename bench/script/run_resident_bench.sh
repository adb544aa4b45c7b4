#!/bin/sh
# Typing 100,000 keys (lines of 60 letters, digits and blanks, each ended by Enter) into the
# middle of the large corpus document, with a resident script that counts the key and
# character events, beside the same without the resident, and beside vim -es typing the same
# keys from a register with :normal while an InsertCharPre autocommand counts the characters
# (less vim's own load of the file and its end, measured with an empty register), in the same
# run. Each figure is the median of three runs.
# Usage: bench/script/run_resident_bench.sh BUILD_DIR [FILE]   (a Release build, NORV_BENCH=ON)
set -eu
build=${1:?usage: $0 BUILD_DIR [FILE]}
file=${2:-/tmp/norv-corpus/large/utf8.lf.txt}
bench=$build/bench/script/resident_typing_bench
command -v vim >/dev/null || { echo "bench: vim is missing" >&2; exit 1; }
[ -r "$file" ] || { echo "bench: $file is missing" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" "$file" <<'PY'
import sys
tmp, corpus = sys.argv[1], sys.argv[2]
chars = []
for i in range(100000):
    if i % 61 == 60:
        chars.append("\r")
        continue
    k = i % 37
    chars.append(chr(97 + k) if k < 26 else chr(48 + k - 26) if k < 36 else " ")
open(f"{tmp}/keys", "w").write("i" + "".join(chars) + "\x1b")
open(f"{tmp}/none", "w").write("")
for name, source, counting in (("full", "keys", True), ("base", "none", True),
                               ("plain", "keys", False), ("plainbase", "none", False)):
    with open(f"{tmp}/{name}.vim", "w") as f:
        f.write("let g:n = 0\n")
        if counting:
            f.write("autocmd InsertCharPre * let g:n += 1\n")
        f.write(f"edit {corpus}\n")
        f.write("exe (line('$') / 2)\n")
        f.write(f"let @q = join(readfile('{tmp}/{source}', 'b'), \"\\n\")\n")
        f.write("normal! @q\n")
        f.write(f"call writefile([string(g:n), string(line('$'))], '{tmp}/{name}.count')\n")
        f.write("qa!\n")
PY

vimrun() {
  for r in 1 2 3; do
    start=$(date +%s.%N)
    vim -u NONE -i NONE -N -n -es -S "$tmp/$1.vim" </dev/null >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc
  done | sort -n | sed -n 2p
}
base=$(vimrun base)
full=$(vimrun full)
plainbase=$(vimrun plainbase)
plain=$(vimrun plain)
counted=$(head -1 "$tmp/full.count")
NORV_ACP=932 NORV_BENCH_FILE="$file" "$bench" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv 2>"$tmp/norv.err" \
  > "$tmp/norv.csv" || { cat "$tmp/norv.err" >&2; exit 1; }

python3 - "$tmp/norv.csv" "$base" "$full" "$plainbase" "$plain" "$counted" <<'PY'
import csv, sys
unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
norv = {}
for row in csv.reader(l for l in open(sys.argv[1]) if l.startswith(('"BM', "BM"))):
    name = row[0].strip('"')
    if name.endswith("_median"):
        norv[name.split("/")[1].split("_")[0]] = float(row[2]) * unit[row[4]]
without, with_ = norv["0"], norv["1"]
vim = float(sys.argv[3]) - float(sys.argv[2])
vim_plain = float(sys.argv[5]) - float(sys.argv[4])
print(f"norv, 100,000 keys, no resident:            {without * 1e3:8.1f} ms")
print(f"norv, 100,000 keys, resident on 8 and 9:    {with_ * 1e3:8.1f} ms")
print(f"vim -es :normal, no autocommand (less load): {vim_plain * 1e3:8.1f} ms")
print(f"vim -es :normal, InsertCharPre ({sys.argv[6]} chars): {vim * 1e3:8.1f} ms")
print(f"resident / no resident = {with_ / without:.2f}x (target: at most 2x)")
print(f"norv with resident / vim with autocommand = {with_ / vim:.2f}x (target: below 1)")
PY
