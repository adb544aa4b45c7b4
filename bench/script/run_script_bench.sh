#!/bin/sh
# Runs the script interpreter's loop benchmark beside Lua 5.4 and Python 3 on the same work
# (the anchors in the shared corpus) and prints each time and the ratio to Lua.
#   bench/script/run_script_bench.sh BUILD_DIR [CORPUS_DIR]
# BUILD_DIR is a release build configured with -DNORV_BENCH=ON -DNORV_TESTS=OFF.
set -eu
build=${1:?usage: run_script_bench.sh BUILD_DIR [CORPUS_DIR]}
corpus=${2:-/work/shared/corpus/vm}
bench="$build/bench/script/script_vm_bench"
export NORV_ACP=932
python3 - "$bench" "$corpus" <<'PY'
import json, subprocess, sys, time
bench, corpus = sys.argv[1], sys.argv[2]

def best(cmd, runs=3):
    times = []
    for _ in range(runs):
        t = time.perf_counter()
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - t)
    return min(times) * 1000

out = subprocess.run([bench, "--benchmark_format=json"], check=True, capture_output=True, text=True).stdout
norv = {b["name"].split("/")[0]: b["real_time"] for b in json.loads(out)["benchmarks"]}
rows = [("for", norv["BM_SumFor"], "sum_for"), ("while", norv["BM_SumWhile"], "sum_while")]
print(f"{'loop':6} {'norv ms':>9} {'lua ms':>9} {'python ms':>10} {'norv/lua':>9} {'norv/python':>12}")
for name, n, anchor in rows:
    lua = best(["lua5.4", f"{corpus}/{anchor}.lua"])
    py = best(["python3", f"{corpus}/{anchor}.py"])
    print(f"{name:6} {n:9.1f} {lua:9.1f} {py:10.1f} {n / lua:9.2f} {n / py:12.2f}")
PY
