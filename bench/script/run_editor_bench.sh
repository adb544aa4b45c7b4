#!/bin/sh
# Scripts on the editor, as a user runs them (`norv --headless -A`), beside outside anchors in
# the same run:
#   1. every line of the 100 MB Shift-JIS corpus file changed with SAVETHISLINE and the file
#      saved, beside vim -es (:g with :s, :w), Lua 5.4 and Python 3 doing the same to the bytes;
#   2. 10,000,000 calls of a cheap editor built-in (ISMODIFIED) beside Lua 5.4 calling a C
#      function (math.abs) as often;
#   3. 10,000,000 reads of a system variable (.LINENO) beside Lua 5.4 reading a field through a
#      C function (string.len of a string) as often.
#   bench/script/run_editor_bench.sh BUILD_DIR [CORPUS_DIR]
# BUILD_DIR is a release build (it must hold src/gui/norv); CORPUS_DIR is made by
# make-corpus.sh (default ${TMPDIR:-/tmp}/norv-corpus). Times are CPU time (user + system) of
# the whole process, best of three.
set -eu
build=${1:?usage: run_editor_bench.sh BUILD_DIR [CORPUS_DIR]}
corpus=${2:-${TMPDIR:-/tmp}/norv-corpus}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export NORV_ACP=932 NORVHOME="$work" QT_QPA_PLATFORM=offscreen
python3 - "$build" "$corpus" "$here" "$work" <<'PY'
import os, subprocess, sys
build, corpus, here, work = sys.argv[1:5]
big = os.path.join(corpus, "large", "sjis.crlf.txt")
norv = os.path.join(build, "src", "gui", "norv")

def cpu_ms(cmd, runs=3, env=None):
    best = None
    for _ in range(runs):
        p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, env=env)
        _, status, usage = os.wait4(p.pid, 0)
        if status != 0:
            sys.exit(f"{cmd} failed")
        t = (usage.ru_utime + usage.ru_stime) * 1000
        best = t if best is None else min(best, t)
    return best

def write(name, text):
    path = os.path.join(work, name)
    with open(path, "w") as f:
        f.write(text)
    return path

outs = {k: os.path.join(work, k + ".out") for k in ("norv", "vim", "lua", "python")}
env = dict(os.environ, NORV_BENCH_OUT=outs["norv"])
lines = os.path.join(here, "save_every_line.NRS")
norv_ms = cpu_ms([norv, "--headless", "-A", lines, big], env=env)
# 'binary' before the file is read: every byte kept (CR too) and the last line end written as
# it was read (set after the read, as with -c, it dropped the file's final line feed).
vim_ms = cpu_ms(["vim", "-es", "-u", "NONE", "-i", "NONE", "--cmd", "set binary",
                 "-c", "g/^/s/^/> /", "-c", "w! " + outs["vim"], "-c", "q!", big])
lua = write("lines.lua", f"""
local out = assert(io.open({outs['lua']!r}, "wb"))
for line in io.lines({big!r}, "L") do out:write("> ", line) end
out:close()
""")
lua_ms = cpu_ms(["lua5.4", lua])
py = write("lines.py", f"""
with open({big!r}, "rb") as f, open({outs['python']!r}, "wb") as out:
    out.writelines(b"> " + line for line in f)
""")
py_ms = cpu_ms(["python3", py])
# The editor holds one more line than the anchors see when the file ends with a line end: the
# empty line after it, which the script prefixes too (with no line end of its own). The
# outputs must then differ by exactly that "> " at the end.
texts = {k: open(p, "rb").read() for k, p in outs.items()}
with open(big, "rb") as f:
    f.seek(-1, os.SEEK_END)
    tail = b"> " if f.read(1) in (b"\n", b"\r") else b""
anchors = {texts["vim"], texts["lua"], texts["python"]}
same = len(anchors) == 1 and texts["norv"] == texts["vim"] + tail
print(f"every line of {os.path.getsize(big) / 1e6:.0f} MB (outputs {'equal' if same else 'DIFFER'})")
print(f"  norv {norv_ms:9.0f} ms   vim {vim_ms:9.0f} ms   lua {lua_ms:9.0f} ms   python {py_ms:9.0f} ms")
print(f"  norv/vim {norv_ms / vim_ms:5.2f} (target <= 0.7)   norv/lua {norv_ms / lua_ms:5.2f} (target <= 4)"
      f"   norv/python {norv_ms / py_ms:5.2f}")

calls = os.path.join(here, "cheap_calls.NRS")
empty = os.path.join(here, "cheap_loop.NRS")
n_ms = cpu_ms([norv, "--headless", "-A", calls])
n0_ms = cpu_ms([norv, "--headless", "-A", empty])
lua_calls = write("calls.lua", "local abs = math.abs\nlocal n = 0\nfor i = 1, 10000000 do n = n + abs(-i) end\n")
lua_loop = write("loop.lua", "local n = 0\nfor i = 1, 10000000 do n = n + i end\n")
l_ms = cpu_ms(["lua5.4", lua_calls])
l0_ms = cpu_ms(["lua5.4", lua_loop])
print("10,000,000 built-in calls")
print(f"  norv {n_ms:9.0f} ms (loop alone {n0_ms:.0f})   lua {l_ms:9.0f} ms (loop alone {l0_ms:.0f})")
print(f"  norv/lua {n_ms / l_ms:5.2f} (target <= 3)   calls alone {(n_ms - n0_ms) / max(l_ms - l0_ms, 1):5.2f}")

reads = os.path.join(here, "lineno_reads.NRS")
r_ms = cpu_ms([norv, "--headless", "-A", reads])
lua_reads = write("reads.lua", "local len = string.len\nlocal s = 'line'\nlocal n = 0\n"
                  "for i = 1, 10000000 do n = n + len(s) end\n")
lr_ms = cpu_ms(["lua5.4", lua_reads])
print("10,000,000 reads of .LINENO")
print(f"  norv {r_ms:9.0f} ms (loop alone {n0_ms:.0f})   lua {lr_ms:9.0f} ms (loop alone {l0_ms:.0f})")
print(f"  norv/lua {r_ms / lr_ms:5.2f} (target <= 3)   reads alone {(r_ms - n0_ms) / max(lr_ms - l0_ms, 1):5.2f}")
PY
