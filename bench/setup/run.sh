#!/bin/sh
# Installing the distribution with `setup --headless` and uninstalling it with `setup u`, beside
# `cp -a` and `rm -rf` of the same files in the same run, in a temporary home of their own. The
# install writes every file through a temporary name, checksums it for the install record and
# registers the desktop entries; the ratios show what that costs over a plain copy.
#   bench/setup/run.sh [build-folder] [runs]
# Needs hyperfine and python3; desktop-file-utils, xdg-utils and shared-mime-info are called
# when installed, as on a desktop.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-setup}
runs=${2:-10}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DNORV_TESTS=OFF >/dev/null
fi
# NORV_BENCH_DIST names a distribution folder to take the files from (only setup is then built
# here and put in place of its setup), so a release setup can be measured without building
# every program again.
if [ -n "${NORV_BENCH_DIST:-}" ]; then
  ninja -C "$build" setup >/dev/null
  dist=$(mktemp -d)
  cp -a "$NORV_BENCH_DIST/." "$dist/"
  cp "$build/src/setup/setup" "$dist/setup"
else
  ninja -C "$build" dist >/dev/null
  dist="$build/dist"
fi
for tool in hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"; [ -z "${NORV_BENCH_DIST:-}" ] || rm -rf "$dist"' EXIT
home="$work/home"
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export TMPDIR="$home/tmp" ASAN_OPTIONS=detect_leaks=0
unset DISPLAY WAYLAND_DISPLAY
target="$home/.local/opt/NorvProject/Norv"
fresh="rm -rf '$home' && mkdir -p '$home/tmp'"
user=""
[ "$(id -u)" -ne 0 ] || user=--user
echo "distribution: $(du -sh "$dist" | cut -f1) in $(find "$dist" -type f | wc -l) files"

hyperfine --runs "$runs" --warmup 2 --export-json "$work/install.json" \
  --prepare "$fresh" \
  -n setup-install "'$dist/setup' --headless $user 2>/dev/null" \
  -n setup-install-without-tools "env PATH=/nonexistent '$dist/setup' --headless $user 2>/dev/null" \
  -n cp-a "mkdir -p '$home/.local/opt/NorvProject' && cp -a '$dist' '$target'" >/dev/null
hyperfine --runs "$runs" --warmup 2 --export-json "$work/uninstall.json" \
  --prepare "$fresh && '$dist/setup' --headless $user 2>/dev/null" \
  -n setup-uninstall "'$target/setup' --headless $user u 2>/dev/null" \
  --prepare "$fresh && mkdir -p '$home/.local/opt/NorvProject' && cp -a '$dist' '$target'" \
  -n rm-rf "rm -rf '$target'" >/dev/null

python3 - "$work/install.json" "$work/uninstall.json" <<'PY'
import json, sys
# Wall time, and processor time (user + system, children included) for machines whose other
# work makes wall times noisy.
# The install without the desktop tools shows what setup itself costs.
for path, ours, anchor in ((sys.argv[1], "setup-install", "cp-a"),
                           (sys.argv[1], "setup-install-without-tools", "cp-a"),
                           (sys.argv[2], "setup-uninstall", "rm-rf")):
    r = {x["command"]: x for x in json.load(open(path))["results"]}
    wall = lambda c: r[c]["mean"] * 1000
    cpu = lambda c: (r[c]["user"] + r[c]["system"]) * 1000
    print(f"{ours:28} {wall(ours):8.1f} ms (cpu {cpu(ours):7.1f})   {anchor:6} "
          f"{wall(anchor):8.1f} ms (cpu {cpu(anchor):7.1f})   ratio {wall(ours)/wall(anchor):5.2f} "
          f"(cpu {cpu(ours)/cpu(anchor):5.2f})")
PY
