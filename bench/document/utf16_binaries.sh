#!/usr/bin/env bash
# Runs the loader's detection over every regular file of /usr/bin and /usr/lib (or the folders
# given) and lists each file it takes for UTF-16 without a byte-order mark. The list must be
# empty: no program, library or other binary is ever read as UTF-16 text.
#
#   bench/document/utf16_binaries.sh [NORVCONV] [FOLDER...]
# NORVCONV defaults to build-test/src/tools/norvconv/norvconv.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
conv=${1:-$root/build-test/src/tools/norvconv/norvconv}
shift || true
[ -x "$conv" ] || { echo "utf16_binaries: no norvconv at $conv" >&2; exit 2; }
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=(/usr/bin /usr/lib)
export NORV_ACP=932 LC_ALL=C
taken=0 files=0
while IFS= read -r -d '' f; do
  files=$((files + 1))
  # Files with a byte-order mark are UTF-16 by their mark, not by the test.
  head -c 2 "$f" | od -An -tx1 | grep -Eq 'ff fe|fe ff' && continue
  code=$("$conv" "$f" 2>/dev/null | cut -f2)
  case "$code" in
    Ucs2Le|Ucs2Be) echo "$code $f"; taken=$((taken + 1)) ;;
  esac
done < <(find "${folders[@]}" -type f -size +0 -print0 2>/dev/null)
echo "utf16_binaries: $files files, $taken taken as UTF-16" >&2
[ "$taken" = 0 ]
