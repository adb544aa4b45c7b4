#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, with the libFuzzer targets), builds the small test corpus, and runs every test.
#   ./run-tests.sh
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --test
build=build-test
shared=${NORV_SHARED:-$(cd .. && pwd)/shared}
# The small corpus of real Japanese text in every code (built outside the work tree, once).
export NORV_TEST_CORPUS=${NORV_TEST_CORPUS:-${TMPDIR:-/tmp}/norv-test-corpus-$(id -u)}
if [ -x "$shared/corpus/make-corpus.sh" ] && [ ! -f "$NORV_TEST_CORPUS/MANIFEST.txt" ]; then
  "$shared/corpus/make-corpus.sh" --small "$NORV_TEST_CORPUS" 2>/dev/null ||
    echo "run-tests: the test corpus could not be built; the corpus tests will be skipped" >&2
fi
# A compiler cache, when one is installed, makes rebuilds in fresh clones cheap.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DNORV_SANITIZE=ON -DNORV_FUZZ=ON >/dev/null
cmake --build "$build"
# The Debian package (a Release build of its own, checked by lintian), its file list, fields
# and programs, and the same script run from a setup install of the distribution folder.
scripts/build-package.sh build-package
tests/package/check_package.sh build-package/norv_*_amd64.deb "$build/dist"
cd "$build"
ctest --output-on-failure -j2 --timeout 300
