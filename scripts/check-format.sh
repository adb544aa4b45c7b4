#!/usr/bin/env bash
# Fails, naming the files, when a C++ source differs from the repository's clang-format style.
#   scripts/check-format.sh            every tracked *.cpp and *.h
#   scripts/check-format.sh FILE...    only these
set -uo pipefail
cd "$(dirname "$0")/.."
fmt=${CLANG_FORMAT:-clang-format}
if [ $# -gt 0 ]; then
  files=("$@")
elif git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests fuzz bench -name '*.cpp' -o -name '*.h')
fi
# One run over all files; each file that differs is named in its first diagnostic.
out=$("$fmt" --style=file:"$PWD/.clang-format" --dry-run -Werror "${files[@]}" 2>&1)
rc=$?
mapfile -t bad < <(printf '%s\n' "$out" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ $rc -ne 0 ] && [ ${#bad[@]} -eq 0 ]; then
  printf '%s\n' "$out" >&2
  exit 1
fi
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: these files differ from the clang-format style (run clang-format -i on them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files keep the style"
