#!/bin/sh
# Printing a long document to PDF: norv's headless print (NORV_PRINT_PDF) beside the outside
# printers of plain text in the same run: ASCII text beside `enscript | ps2pdf`, Japanese text
# (EDICT lines of the corpus) beside `paps | ps2pdf`. Also norv's peak memory while printing,
# beside its peak memory when it only loads the same document.
#   bench/print/run.sh [build-folder] [runs]
# Needs enscript, paps, ghostscript (ps2pdf), poppler-utils (pdfinfo), hyperfine and GNU time.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-print}
runs=${2:-5}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DNORV_TESTS=OFF >/dev/null
fi
ninja -C "$build" norv >/dev/null
norv="$build/src/gui/norv"
for tool in enscript paps ps2pdf pdfinfo hyperfine iconv; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/cfg" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" NORVHOME="$work/cfg" QT_QPA_PLATFORM=offscreen
export NORV_ACP=932
unset DISPLAY WAYLAND_DISPLAY

# About 1,000 pages at the default print settings (A4, 18-pixel font: 46 rows a page).
seq 1 46000 | sed 's/^/a line of printed text for the benchmark of printing, number /' >"$work/ascii.txt"
corpus=${NORV_TEST_CORPUS:-${TMPDIR:-/tmp}/norv-test-corpus-$(id -u)}
sample=$(ls "$corpus"/small/*edict.sjis.lf.txt 2>/dev/null | tail -1)
[ -n "$sample" ] || { echo "run.sh: no corpus in $corpus (run-tests.sh builds it)" >&2; exit 1; }
: >"$work/japanese.sjis"
while [ "$(wc -l <"$work/japanese.sjis")" -lt 30000 ]; do cat "$sample" >>"$work/japanese.sjis"; done
iconv -f CP932 -t UTF-8 "$work/japanese.sjis" >"$work/japanese.utf8"

hyperfine --runs "$runs" --warmup 1 --export-json "$work/times.json" \
  -n norv-ascii "NORV_PRINT_PDF=$work/n1.pdf '$norv' --headless -P '$work/ascii.txt'" \
  -n enscript-ascii "enscript -q -p - '$work/ascii.txt' | ps2pdf - '$work/e1.pdf'" \
  -n norv-japanese "NORV_PRINT_PDF=$work/n2.pdf '$norv' --headless -P '$work/japanese.sjis'" \
  -n paps-japanese "paps --font='Noto Sans Mono CJK JP 10' '$work/japanese.utf8' | ps2pdf - '$work/p2.pdf'" \
  >/dev/null 2>&1
pages() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }
python3 - "$work/times.json" "$(pages "$work/n1.pdf")" "$(pages "$work/e1.pdf")" \
  "$(pages "$work/n2.pdf")" "$(pages "$work/p2.pdf")" <<'PY'
import json, sys
r = {x["command"]: x["median"] for x in json.load(open(sys.argv[1]))["results"]}
n1, e1, n2, p2 = sys.argv[2:6]
print(f"ASCII    norv {r['norv-ascii']*1000:8.0f} ms ({n1} pages)   enscript|ps2pdf {r['enscript-ascii']*1000:8.0f} ms ({e1} pages)   ratio {r['norv-ascii']/r['enscript-ascii']:.2f}")
print(f"Japanese norv {r['norv-japanese']*1000:8.0f} ms ({n2} pages)   paps|ps2pdf     {r['paps-japanese']*1000:8.0f} ms ({p2} pages)   ratio {r['norv-japanese']/r['paps-japanese']:.2f}")
PY
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
loaded=$(peak "$norv" --headless "$work/japanese.sjis")
printing=$(NORV_PRINT_PDF="$work/m.pdf" peak "$norv" --headless -P "$work/japanese.sjis")
echo "peak memory: loaded ${loaded} KB, printing ${printing} KB, ratio $(python3 -c "print(f'{$printing/$loaded:.2f}')")"
