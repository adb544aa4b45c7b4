#!/usr/bin/env bash
# Builds the Debian package BUILD/norv_<version>_amd64.deb (Release, with Debian's hardening
# linker flags) through CPack's DEB generator and checks it with lintian.
#   scripts/build-package.sh [build-folder]      (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
ldflags="-Wl,-z,relro -Wl,-z,now"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DNORV_TESTS=OFF -DNORV_PACKAGE=ON \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" --target package >/dev/null
version=$(sed -n 's/^project(norv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$build/norv_${version}_amd64.deb"
echo "build-package: $deb"
if command -v lintian >/dev/null; then
  # Errors fail the build; warnings are listed for the reader.
  lintian --tag-display-limit 0 "$deb" | tee "$build/lintian.txt"
  ! grep -q '^E:' "$build/lintian.txt"
fi
