#!/bin/sh
# Compiling a generated 20,000-line script (expressions of every operator level, IF blocks and
# loops in routines) beside luac compiling the same program written in Lua, in the same run.
# CPU time (user + system), best of five; the ratio is norv / luac.
#   bench/script/run_compile_bench.sh BUILD_DIR
# BUILD_DIR is a release build holding src/tools/norvscript/norvscript.
set -eu
build=${1:?usage: run_compile_bench.sh BUILD_DIR}
export NORV_ACP=932
python3 - "$build" <<'PY'
import os, subprocess, sys, tempfile
build = sys.argv[1]

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

# 400 routines of 50 lines each.
nrs, lua = [], []
for r in range(400):
    nrs.append(f"FUNCTION F{r}(a, b)\n  DIM i, x, s$")
    lua.append(f"function F{r}(a, b)\n  local i, x, s = 0, 0, ''")
    for k in range(15):
        nrs.append(f"  x = a * {k} + b - (a MOD 7) * 3 + {k} \\ 2")
        lua.append(f"  x = a * {k} + b - (a % 7) * 3 + {k} // 2")
        nrs.append(f"  IF x > {k} AND a <> b OR x = 0 THEN\n    s = s + \"v{k}\"\n  END IF")
        lua.append(f"  if x > {k} and a ~= b or x == 0 then\n    s = s .. 'v{k}'\n  end")
    nrs.append("  FOR i = 1 TO 10\n    x = x + i\n  NEXT\n  RETURN x\nEND FUNCTION")
    lua.append("  for i = 1, 10 do\n    x = x + i\n  end\n  return x\nend")
nrs.append("MAIN\n  DIM y\n  y = F0(1, 2)\nEND MAIN")
tmp = tempfile.mkdtemp()
src_n, src_l = os.path.join(tmp, "big.NRS"), os.path.join(tmp, "big.lua")
open(src_n, "w").write("\n".join(nrs) + "\n")
open(src_l, "w").write("\n".join(lua) + "\n")
lines = sum(1 for _ in open(src_n))
runner = os.path.join(build, "src/tools/norvscript/norvscript")
n = cpu_ms([runner, "--compile", os.path.join(tmp, "big.NRX"), src_n])
l = cpu_ms(["luac5.4", "-o", os.path.join(tmp, "big.luac"), src_l])
print(f"{lines} lines: norv {n:.1f} ms, luac {l:.1f} ms, norv/luac {n / l:.2f}")
PY
