#!/bin/sh
# Start-up time of `norv FILE` to its first painted window (offscreen), beside
# `vim -u NONE -c q FILE` in the same run, and beside a bare Qt window with a plain text editor
# on the same file (the floor of any Qt Widgets program). vim gets --not-a-term: without a terminal it would
# otherwise sleep two seconds on its warning, which is not start-up work.
#   bench/startup/run.sh [build-folder] [runs]
# Builds the release program when needed; uses hyperfine when present, else a timing loop.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-startup}
runs=${2:-30}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DNORV_BENCH=ON -DNORV_TESTS=OFF >/dev/null
fi
ninja -C "$build" startup_first_paint startup_qt_window >/dev/null
norv="$build/bench/startup/first_paint/norv"
qtwin="$build/bench/startup/startup_qt_window"

# A private home, runtime and settings folder: no other instance is met, nothing is left behind.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/cfg" "$work/run"
chmod 700 "$work/run"
seq 1 10000 | sed 's/^/a line of text to show in the window, number /' >"$work/file.txt"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" NORVHOME="$work/cfg" QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
"$norv" "$work/file.txt"  # the first run makes the settings files from their templates

if command -v hyperfine >/dev/null 2>&1; then
  hyperfine -N --warmup 3 --runs "$runs" --export-json "$work/times.json" \
    -n norv "$norv $work/file.txt" \
    -n vim "vim --not-a-term -u NONE -c q $work/file.txt" \
    -n qt "$qtwin $work/file.txt" >/dev/null
  python3 - "$work/times.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
n, v, q = r["norv"], r["vim"], r["qt"]
print(f"{'program':<10}{'median ms':>11}{'mean ms':>10}{'stddev':>8}")
for name, x in (("norv", n), ("vim", v), ("qt editor", q)):
    print(f"{name:<10}{x['median']*1000:>11.1f}{x['mean']*1000:>10.1f}{x['stddev']*1000:>8.1f}")
print(f"ratio norv/vim (median): {n['median']/v['median']:.2f}x")
print(f"ratio qt editor/vim (median): {q['median']/v['median']:.2f}x")
print(f"ratio norv/qt editor (median): {n['median']/q['median']:.2f}x")
PY
else
  python3 - "$norv" "$work/file.txt" "$runs" <<'PY'
import statistics, subprocess, sys, time
norv, f, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
def median(cmd):  # fallback without hyperfine: the editor and vim only
    t = []
    for _ in range(runs):
        s = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        t.append(time.perf_counter() - s)
    return statistics.median(t)
n = median([norv, f])
v = median(["vim", "--not-a-term", "-u", "NONE", "-c", "q", f])
print(f"norv {n*1000:.1f} ms  vim {v*1000:.1f} ms  ratio {n/v:.2f}x")
PY
fi
