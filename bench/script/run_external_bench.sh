#!/bin/sh
# A million calls of libc's abs from a script (DECLARE, through libffi) beside Python 3's ctypes
# calling the same routine as often, in the same run; each also without the call, so that the
# cost of the calls alone can be compared too. CPU time (user + system), best of five.
#   bench/script/run_external_bench.sh BUILD_DIR
# BUILD_DIR is a release build holding src/tools/norvscript/norvscript.
set -eu
build=${1:?usage: run_external_bench.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
export NORV_ACP=932
python3 - "$build" "$here" <<'PY'
import os, subprocess, sys
build, here = sys.argv[1:3]

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
calls = "import ctypes\nf = ctypes.CDLL('libc.so.6').abs\ns = 0\nfor i in range(1, 1000001):\n    s += f(-i)\n"
loop = "s = 0\nfor i in range(1, 1000001):\n    s += 0 - i\n"
n_calls = cpu_ms([runner, os.path.join(here, "abs_calls.NRS")])
n_loop = cpu_ms([runner, os.path.join(here, "loop_only.NRS")])
p_calls = cpu_ms(["python3", "-c", calls], runs=3)
p_loop = cpu_ms(["python3", "-c", loop], runs=3)
print(f"{'':22} {'norv ms':>9} {'python ms':>10} {'python/norv':>12}")
print(f"{'1e6 calls of abs':22} {n_calls:9.1f} {p_calls:10.1f} {p_calls / n_calls:12.2f}")
print(f"{'the loop alone':22} {n_loop:9.1f} {p_loop:10.1f} {p_loop / n_loop:12.2f}")
nc, pc = max(n_calls - n_loop, 0.1), max(p_calls - p_loop, 0.1)
print(f"{'the calls alone':22} {nc:9.1f} {pc:10.1f} {pc / nc:12.2f}")
PY
