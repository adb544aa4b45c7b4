#!/bin/sh
# Runs the script interpreter's loop benchmark beside Lua 5.4 and Python 3 on the same work
# (the anchors in the shared corpus) and prints the times and the ratios.
#   bench/script/run_script_bench.sh BUILD_DIR [CORPUS_DIR]
# BUILD_DIR is a release build configured with -DNORV_BENCH=ON -DNORV_TESTS=OFF (it must hold
# bench/script/script_vm_bench and src/tools/norvscript/norvscript).
#
# The three programs run as processes in the same way and are compared by CPU time (user +
# system, best of five), which a busy machine disturbs far less than wall-clock time; the
# Google Benchmark figures of the interpreter alone (no start-up, no compile) follow.
set -eu
build=${1:?usage: run_script_bench.sh BUILD_DIR [CORPUS_DIR]}
corpus=${2:-/work/shared/corpus/vm}
here=$(cd "$(dirname "$0")" && pwd)
export NORV_ACP=932
python3 - "$build" "$corpus" "$here" <<'PY'
import json, os, subprocess, sys, time
build, corpus, here = sys.argv[1:4]

def cpu_ms(cmd, runs=5):
    best = None
    for _ in range(runs):
        p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(p.pid, 0)
        if status != 0:
            sys.exit(f"{cmd} failed")
        t = (usage.ru_utime + usage.ru_stime) * 1000
        best = t if best is None else min(best, t)
    return best

runner = os.path.join(build, "src/tools/norvscript/norvscript")
print(f"{'loop':6} {'norv ms':>9} {'lua ms':>9} {'python ms':>10} {'norv/lua':>9} {'norv/python':>12}")
for name in ("for", "while"):
    n = cpu_ms([runner, os.path.join(here, f"sum_{name}.NRS")])
    lua = cpu_ms(["lua5.4", os.path.join(corpus, f"sum_{name}.lua")])
    py = cpu_ms(["python3", os.path.join(corpus, f"sum_{name}.py")], runs=3)
    print(f"{name:6} {n:9.1f} {lua:9.1f} {py:10.1f} {n / lua:9.2f} {n / py:12.2f}")

out = subprocess.run([os.path.join(build, "bench/script/script_vm_bench"), "--benchmark_format=json"],
                     check=True, capture_output=True, text=True).stdout
for b in json.loads(out)["benchmarks"]:
    print(f"google benchmark {b['name']}: {b['real_time']:.1f} ms per run (wall clock, mean)")
PY
