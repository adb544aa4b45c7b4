#!/usr/bin/env bash
# The format check's own case: a copy of a source with one line mis-indented must fail the
# check, and the check must name that copy.
set -uo pipefail
root=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$root/src/view/line_layout.cpp" "$tmp/line_layout.cpp"
"$root/scripts/check-format.sh" "$tmp/line_layout.cpp" >/dev/null 2>&1 || {
  echo "the unchanged copy already fails the check" >&2; exit 1; }
# Indent the first line that opens a function body by three more blanks.
line=$(grep -n '^[a-zA-Z].*) {$' "$tmp/line_layout.cpp" | head -1 | cut -d: -f1)
sed -i "$((line + 1))s/^/   /" "$tmp/line_layout.cpp"
out=$("$root/scripts/check-format.sh" "$tmp/line_layout.cpp" 2>&1)
rc=$?
[ $rc -ne 0 ] || { echo "a mis-indented file passed the check" >&2; exit 1; }
printf '%s\n' "$out" | grep -qF "$tmp/line_layout.cpp" || {
  echo "the check did not name the file:" >&2; printf '%s\n' "$out" >&2; exit 1; }
echo "the mis-indented copy fails the check and is named"
