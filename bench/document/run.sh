#!/usr/bin/env bash
# Loading the large corpus files in every code, beside the outside anchors in the same run:
#   iconv converting the file to UTF-8, `wc -l` (the scan floor) and vim opening it.
# Prints wall times (hyperfine medians), the ratios, and peak memory against vim's.
#
#   bench/document/run.sh [CORPUS]     CORPUS defaults to ${TMPDIR:-/tmp}/norv-corpus
#   BASE=REV bench/document/run.sh     also times the norvconv of revision REV in the same run
#
# The large set holds Shift-JIS, EUC-JP and UTF-8; the JIS and UTF-16 files (with and without a
# byte-order mark) are made from its UTF-8 file, beside it, on first use. With BASE, that
# revision is built in a detached work tree under ${TMPDIR:-/tmp} and a second table gives each
# build's load time over iconv's for the same file and how much that ratio grew (files without
# a mark are left out there when the older build does not read them as UTF-16).
# Needs the large corpus (../shared/corpus/make-corpus.sh), hyperfine, vim, GNU time, jq.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
C=${1:-${TMPDIR:-/tmp}/norv-corpus}
build=$root/build-bench
for t in hyperfine vim /usr/bin/time jq iconv; do
  command -v "$t" >/dev/null || { echo "bench: missing $t (apt-get install hyperfine vim-nox time jq)" >&2; exit 1; }
done
[ -f "$C/large/utf8.lf.txt" ] || { echo "bench: no large corpus at $C" >&2; exit 1; }

release() {  # configures and builds norvconv of the tree $1 into $2
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORV_TESTS=OFF -DNORV_GUI=OFF \
    -DNORV_BENCH=ON >/dev/null
  cmake --build "$2" --target norvconv "${@:3}" >/dev/null
}
release "$root" "$build" norv_load_bench
conv=$build/src/tools/norvconv/norvconv
base=
if [ -n "${BASE:-}" ]; then
  bt=${TMPDIR:-/tmp}/norv-bench-base
  rev=$(git -C "$root" rev-parse --verify "$BASE^{commit}")
  if [ "$(git -C "$bt" rev-parse HEAD 2>/dev/null || true)" != "$rev" ]; then
    git -C "$root" worktree remove --force "$bt" 2>/dev/null || rm -rf "$bt"
    git -C "$root" worktree add --detach "$bt" "$rev" >/dev/null 2>&1
  fi
  release "$bt" "$bt/build-bench"
  base=$bt/build-bench/src/tools/norvconv/norvconv
fi
export NORV_ACP=932 LC_ALL=C
W=$(mktemp -d); trap 'rm -rf "$W"' EXIT

# The files of the codes the large set lacks: name, iconv's name for the code, byte-order mark.
make_file() {
  local f=$C/large/$1.txt
  [ -s "$f" ] && return
  { printf "$3"; iconv -f UTF-8 -t "$2" "$C/large/utf8.lf.txt"; } > "$f.part"
  mv "$f.part" "$f"
}
make_file jis.lf ISO-2022-JP ''
make_file utf16le.lf UTF-16LE ''
make_file utf16be.lf UTF-16BE ''
make_file utf16lebom.lf UTF-16LE '\xff\xfe'
make_file utf16bebom.lf UTF-16BE '\xfe\xff'

median() {  # hyperfine median of a command, in seconds
  hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-json "$W/h.json" "$1" >/dev/null 2>&1
  jq -r '.results[0].median' "$W/h.json"
}
medians() {  # hyperfine medians of several commands run one after the other, in seconds
  hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-json "$W/h.json" "$@" >/dev/null 2>&1
  jq -r '[.results[].median] | map(tostring) | join(" ")' "$W/h.json"
}
peak() {  # peak RSS in MB, best of 3
  local best=0 m
  for _ in 1 2 3; do
    /usr/bin/time -f '%M' -o "$W/t" sh -c "$1" >/dev/null 2>&1 || true
    m=$(( $(tail -n1 "$W/t") / 1024 ))
    if [ "$best" = 0 ] || [ "$m" -lt "$best" ]; then best=$m; fi
  done
  echo "$best"
}
vimcmd() { echo "vim -u NONE -i NONE -N -n -es --cmd 'set enc=utf-8 fencs=ucs-bom,utf-8,cp932,euc-jp,utf-16le' -c 'q!' '$1'"; }
code_of() { "$1" "$2" | cut -f2; }

# file : iconv's name of its code
files=(sjis.lf:CP932 eucjp.lf:EUC-JP-MS jis.lf:ISO-2022-JP utf8.lf:UTF-8 utf16le.lf:UTF-16LE
       utf16be.lf:UTF-16BE utf16lebom.lf:UTF-16 utf16bebom.lf:UTF-16)
printf '| file | read as | norv load | iconv to UTF-8 | wc -l | vim open | iconv / norv | vim / norv | norv MB | vim MB | norv / vim memory |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
: > "$W/base.rows"
for entry in "${files[@]}"; do
  name=${entry%%:*}; from=${entry#*:}; file=$C/large/$name.txt
  read_as=$(code_of "$conv" "$file")
  n=$(median "'$conv' '$file'")
  i=$(median "iconv -f $from -t UTF-8 '$file' > /dev/null")
  w=$(median "wc -l '$file' > /dev/null")
  v=$(median "$(vimcmd "$file")")
  nm=$(peak "'$conv' '$file'")
  vm=$(peak "$(vimcmd "$file")")
  awk -v f="$name" -v c="$read_as" -v n="$n" -v i="$i" -v w="$w" -v v="$v" -v nm="$nm" -v vm="$vm" 'BEGIN {
    printf "| %s | %s | %.3f s | %.3f s | %.3f s | %.3f s | %.2fx | %.1fx | %d | %d | %.2f |\n",
      f, c, n, i, w, v, i / n, v / n, nm, vm, nm / vm }'
  if [ -n "$base" ]; then
    base_as=$(code_of "$base" "$file")
    if [ "$base_as" = "$read_as" ]; then
      # Both builds and iconv in one run of hyperfine, so that they see the same machine.
      echo "$name $(medians "'$conv' '$file'" "'$base' '$file'" "iconv -f $from -t UTF-8 '$file' > /dev/null")" \
        >> "$W/base.rows"
    else
      echo "$name - - - - $base_as" >> "$W/base.rows"
    fi
  fi
done
if [ -n "$base" ]; then
  echo
  echo "Load time over iconv's for the same file, this build against $BASE (${rev:0:10}), same run:"
  printf '| file | this build / iconv | %s / iconv | growth |\n|---|---|---|---|\n' "${BASE}"
  awk '$2 == "-" { printf "| %s | - | - | not compared: the older build reads it as %s |\n", $1, $6; next }
       { now = $2 / $4; old = $3 / $4
         printf "| %s | %.3f | %.3f | %+.1f%% |\n", $1, now, old, (now / old - 1) * 100 }' "$W/base.rows"
fi
echo
echo "In-process load (Google Benchmark, no process start or exit):"
NORV_BENCH_FILES=$C/large/sjis.lf.txt:$C/large/eucjp.lf.txt:$C/large/utf8.lf.txt \
  "$build/bench/document/norv_load_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
  grep -E 'median|Benchmark'
