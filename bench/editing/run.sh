#!/bin/sh
# Editing in large documents, beside vim in the same run.
#   bench/editing/run.sh [build-folder]
# Prints the time per operation at 1 K, 100 K and 2 M lines (flat means the cost follows the
# line, not the document), and the time of jumping to the end of the text and back next to
# vim's G and gg on the same file (timed inside vim with reltime, so start-up and loading are
# not counted). Needs the large corpus (NORV_BENCH_FILE, default
# /tmp/norv-corpus/large/sjis.lf.txt) and vim.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-edit}
file=${NORV_BENCH_FILE:-/tmp/norv-corpus/large/sjis.lf.txt}
[ -f "$file" ] || { echo "bench: no corpus file $file" >&2; exit 1; }
command -v vim >/dev/null || { echo "bench: vim is missing" >&2; exit 1; }
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DNORV_BENCH=ON -DNORV_TESTS=OFF -DNORV_GUI=OFF >/dev/null
fi
ninja -C "$build" norv_edit_bench >/dev/null
out=$(mktemp)
vimout=$(mktemp)
trap 'rm -f "$out" "$vimout"' EXIT
NORV_ACP=932 NORV_BENCH_FILE=$file "$build/bench/editing/norv_edit_bench" \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=json >/dev/null

# vim: G then gg, 100 times, timed inside vim after the file is loaded.
vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=cp932' \
  -c 'let t = reltime()' \
  -c 'for i in range(100) | execute "normal! G" | execute "normal! gg" | endfor' \
  -c "call writefile([string(reltimefloat(reltime(t)) / 100.0)], '$vimout')" \
  -c 'q!' "$file"

python3 - "$out" "$vimout" <<'PY'
import json, sys
res = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name, size = b["run_name"].split("/")
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    res.setdefault(name, {})[int(size)] = b["real_time"] * unit
vim = float(open(sys.argv[2]).read().strip())
print(f"{'operation (per iteration)':<24}{'1K lines':>12}{'100K lines':>12}{'2M lines':>12}{'2M / 1K':>9}")
for name, r in res.items():
    cells = "".join(f"{r[s] * 1e6:>10.2f}us" for s in (1000, 100000, 2000000))
    print(f"{name[3:]:<24}{cells}{r[2000000] / r[1000]:>8.1f}x")
end = res["BM_EndOfTextAndBack"][2000000]
print(f"\nG + gg in vim on the corpus file: {vim * 1e6:.2f} us;"
      f" norv TextBot + TextTop at 2M lines: {end * 1e6:.3f} us; vim / norv = {vim / end:.0f}x")
PY
