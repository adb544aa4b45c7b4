#!/usr/bin/env bash
# Installs what is missing, builds the programs (release) and runs the main job on FILE...
#   ./run-norv.sh FILE...
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORV_TESTS=OFF >/dev/null
cmake --build build
if [ $# -eq 0 ]; then
  echo "run-norv: give the files to read, e.g. ./run-norv.sh some.txt" >&2
  exec build/src/app/norvconv/norvconv --help
fi
exec build/src/app/norvconv/norvconv "$@"
