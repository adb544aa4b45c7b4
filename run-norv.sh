#!/usr/bin/env bash
# Installs what is missing, builds the programs (release) and opens FILE... in the editor.
#   ./run-norv.sh FILE...
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORV_TESTS=OFF >/dev/null
cmake --build build
# The main job: the editor on the files given.
norv=build/src/gui/norv
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-norv: no display (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
  echo "run-norv: run the editor under a virtual X server (Debian package xvfb):" >&2
  echo "  xvfb-run -a $norv $*" >&2
  echo "run-norv: or without any window (messages on standard error, e.g. with a script):" >&2
  echo "  $norv --headless [-A SCRIPT] $*" >&2
  echo "run-norv: meanwhile norvconv reports what the editor detects in the files:" >&2
  [ $# -eq 0 ] && exit 2
  exec build/src/tools/norvconv/norvconv "$@"
fi
exec "$norv" "$@"
