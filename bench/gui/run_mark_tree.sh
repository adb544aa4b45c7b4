#!/usr/bin/env bash
# The bookmark list's tree for 100,000 marked headings beside a plain QTreeWidget filled with
# the same texts and nesting, in the same run: both medians of five runs and their ratio (the
# target is within 1.5x).
#
#   bench/gui/run_mark_tree.sh BUILD_DIR
# BUILD_DIR is configured with -DNORV_BENCH=ON (a Release build); it is configured so when it
# has no build files yet.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DNORV_BENCH=ON -DNORV_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target norv_mark_tree_bench >/dev/null
QT_QPA_PLATFORM=offscreen NORV_ACP=932 "$build/bench/gui/norv_mark_tree_bench" 2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2)
