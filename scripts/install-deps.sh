#!/usr/bin/env bash
# Installs the Debian packages that are missing for building (and, with --test, for testing).
#   scripts/install-deps.sh [--test]
set -euo pipefail
pkgs=(cmake ninja-build hyperfine vim-nox g++ pkg-config libffi-dev qt6-base-dev qt6-base-dev-tools fonts-noto-cjk
      libhunspell-dev libhunspell-1.7-0 libgnutls28-dev libqt6svg6)
if [ "${1:-}" = --test ]; then
  pkgs+=(clang clang-format libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev manpages-ja edict
         xvfb xauth hunspell hunspell-en-us hunspell-en-gb dovecot-pop3d python3-aiosmtpd openssl poppler-utils
         desktop-file-utils xdg-utils shared-mime-info dpkg-dev lintian icu-devtools nkf lua5.4
         unzip zip lhasa)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "install-deps: installing ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
