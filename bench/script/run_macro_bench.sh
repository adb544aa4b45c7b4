#!/bin/sh
# Playing a key macro of 100,000 typed characters and 10,000 commands (lines of ten characters,
# each ended by Enter) into an empty document, beside vim -es replaying the same keys from a
# register with :normal in the same run (less vim's own start and end with an empty register),
# and the ratios of wall time and of CPU time (user + system). vim's figures are medians of five
# runs of each kind, taken in turns; norv's are the medians of five repetitions. With a second
# build directory (an older build, say) its benchmark runs too, right after the first.
# Usage: bench/script/run_macro_bench.sh BUILD_DIR [OTHER_BUILD_DIR]   (Release, NORV_BENCH=ON)
set -eu
build=${1:?usage: $0 BUILD_DIR [OTHER_BUILD_DIR]}
other=${2:-}
command -v vim >/dev/null || { echo "bench: vim is missing" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" "$build" "$other" <<'PY'
import csv, os, resource, statistics, subprocess, sys, time
tmp, builds = sys.argv[1], [b for b in sys.argv[2:] if b]
keys = "i" + "".join("".join(chr(97 + (line + i) % 26) for i in range(10)) + "\r"
                     for line in range(10000)) + "\x1b"
open(f"{tmp}/keys", "w").write(keys)
open(f"{tmp}/none", "w").write("")
for name, source in (("full", "keys"), ("base", "none")):
    open(f"{tmp}/{name}.vim", "w").write(
        f"let @q = join(readfile('{tmp}/{source}', 'b'), \"\\n\")\n"
        "normal! @q\n"
        f"write! {tmp}/{name}.out\nqa!\n")

def timed(args, **kw):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(args, stdin=subprocess.DEVNULL, **kw)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu

runs = {"base": [], "full": []}
for _ in range(5):
    for name in ("base", "full"):
        runs[name].append(timed(["vim", "-u", "NONE", "-i", "NONE", "-N", "-n", "-es", "-S",
                                 f"{tmp}/{name}.vim"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL))
med = lambda xs: statistics.median(xs)
vim_wall = med(w for w, _ in runs["full"]) - med(w for w, _ in runs["base"])
vim_cpu = med(c for _, c in runs["full"]) - med(c for _, c in runs["base"])
lines = sum(1 for _ in open(f"{tmp}/full.out"))

unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
env = dict(os.environ, NORV_ACP="932")
print(f"vim -es, :normal @q ({lines} lines, less start): "
      f"wall {vim_wall * 1e3:7.1f} ms, CPU {vim_cpu * 1e3:7.1f} ms")
for build in builds:
    out = subprocess.run([f"{build}/bench/script/macro_play_bench", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true", "--benchmark_format=csv"],
                         env=env, capture_output=True, text=True, check=True).stdout
    for row in csv.reader(l for l in out.splitlines() if l.startswith(('"BM', "BM"))):
        if row[0].strip('"').endswith("_median"):
            wall, cpu = float(row[2]) * unit[row[4]], float(row[3]) * unit[row[4]]
    print(f"norv ({build}), the macro played: wall {wall * 1e3:7.1f} ms, CPU {cpu * 1e3:7.1f} ms")
    print(f"  norv / vim = {wall / vim_wall:.2f}x wall, {cpu / vim_cpu:.2f}x CPU (target: below 1)")
PY
