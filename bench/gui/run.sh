#!/usr/bin/env bash
# The edit view's speed on the offscreen platform, beside vim in the same run:
#   opening the large Shift-JIS corpus file until the first screen is painted (vim: opening it
#   in Ex mode and quitting), going to its end (vim: G, timed inside vim after loading), one
#   page with its paint, and a keystroke in the middle of the file with its repaint (the target
#   is one frame, 16 ms).
#
#   bench/gui/run.sh [build-folder]
# Needs the large corpus (NORV_BENCH_FILE, default /tmp/norv-corpus/large/sjis.lf.txt),
# hyperfine, jq and vim.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-gui}
file=${NORV_BENCH_FILE:-/tmp/norv-corpus/large/sjis.lf.txt}
[ -f "$file" ] || { echo "bench: no corpus file $file" >&2; exit 1; }
for t in vim hyperfine jq; do
  command -v "$t" >/dev/null || { echo "bench: missing $t" >&2; exit 1; }
done
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DNORV_BENCH=ON -DNORV_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target norv_view_paint_bench >/dev/null
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
QT_QPA_PLATFORM=offscreen NORV_ACP=932 NORV_BENCH_FILE=$file \
  "$build/bench/gui/norv_view_paint_bench" --benchmark_out="$W/norv.json" \
  --benchmark_out_format=json >/dev/null

vimopen="vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=cp932' -c 'q!' '$file'"
vimend="vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=cp932' -c 'normal! G' -c 'q!' '$file'"
hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-json "$W/vim.json" \
  "$vimopen" "$vimend" >/dev/null 2>&1
# G alone, timed inside vim once the file is loaded.
vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=cp932' \
  -c 'let t = reltime()' -c 'for i in range(20) | execute "normal! G" | execute "normal! gg" | endfor' \
  -c "call writefile([string(reltimefloat(reltime(t)) / 20.0)], '$W/vimG')" -c 'q!' "$file"

python3 - "$W/norv.json" "$W/vim.json" "$W/vimG" "$file" <<'PY'
import json, sys
norv = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
vim = [r["median"] for r in json.load(open(sys.argv[2]))["results"]]
vim_g = float(open(sys.argv[3]).read().strip()) * 1000
ms = lambda name: norv[name]["ms"]
print(f"file: {sys.argv[4]} ({int(norv['BM_OpenToFirstPaint/0/iterations:3']['lines'])} lines)")
print(f"{'measure':<48}{'norv':>10}{'vim':>10}{'vim/norv':>10}")
rows = [
    ("open until the first screen is painted", ms("BM_OpenToFirstPaint/0/iterations:3"), vim[0] * 1000),
    ("go to the end of the text (+ paint / G)", ms("BM_TextBotAndPaint/0/iterations:5"), vim_g),
    ("  the same, comment states scanned from the top", ms("BM_TextBotAndPaint/1/iterations:5"), vim_g),
    ("open and go to the end (vim: one run)", ms("BM_OpenToFirstPaint/0/iterations:3") +
     ms("BM_TextBotAndPaint/0/iterations:5"), vim[1] * 1000),
    ("one page and its paint", ms("BM_PageAndPaint/0/iterations:200"), None),
    ("  with keywords and comments", ms("BM_PageAndPaint/1/iterations:200"), None),
    ("keystroke in the middle + repaint", ms("BM_KeystrokeMiddle/0/iterations:400"), None),
    ("  with keywords and comments", ms("BM_KeystrokeMiddle/1/iterations:400"), None),
]
for name, n, v in rows:
    vs = f"{v:>8.3f}ms" if v is not None else f"{'-':>10}"
    ratio = f"{v / n:>9.3f}x" if v is not None else f"{'':>10}"
    print(f"{name:<48}{n:>8.3f}ms{vs}{ratio}")
key = max(ms("BM_KeystrokeMiddle/0/iterations:400"), ms("BM_KeystrokeMiddle/1/iterations:400"))
print(f"\nkeystroke + repaint: {key:.2f} ms ({'within' if key < 16 else 'OVER'} one frame of 16 ms)")
PY
