#!/bin/sh
# Projects beside vim in the same run, each a whole process:
#   1. restoring a project of 100 corpus documents (`norv --headless -W bench`) until the last
#      is loaded, beside vim opening the same files as hidden buffers with `bufdo echo` (the
#      project holds those 100 pages and nothing else);
#   2. Break with all 100 documents modified (each gets a character at its top, then the copies
#      and the snapshot are written and flushed), beside vim's `bufdo s/^/x/` and `wall`; both
#      less the same run that only loads the files.
#   bench/app/run_project_bench.sh BUILD_DIR [CORPUS_DIR]
# BUILD_DIR is a release build holding src/gui/norv; CORPUS_DIR is made by make-corpus.sh
# (default ${TMPDIR:-/tmp}/norv-corpus): the documents are the 100 largest manual pages of
# tree/ja-sjis. Times are medians of five runs, wall clock and CPU (user+sys of the process);
# the ratios are norv/vim (below 1: ahead).
set -eu
build=${1:?usage: run_project_bench.sh BUILD_DIR [CORPUS_DIR]}
corpus=${2:-${TMPDIR:-/tmp}/norv-corpus}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/cfg" "$work/run"
export NORV_ACP=932 QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_CONFIG_HOME="$work/home" \
  XDG_RUNTIME_DIR="$work/run" NORVHOME="$work/cfg"
python3 - "$build" "$corpus" "$work" <<'PY'
import glob, os, resource, shutil, statistics, subprocess, sys, time
build, corpus, work = sys.argv[1:4]
norv = os.path.join(build, "src", "gui", "norv")
pages = sorted((p for p in glob.glob(os.path.join(corpus, "tree", "ja-sjis", "**", "*"), recursive=True)
                if os.path.isfile(p)), key=lambda p: (-os.path.getsize(p), p))[:100]
if len(pages) < 100:
    sys.exit("bench: the corpus has fewer than 100 manual pages under tree/ja-sjis")
cfg = os.path.join(work, "cfg")

class Time:
    def __init__(self, wall, cpu):
        self.wall, self.cpu = wall, cpu
    def __sub__(self, other):
        return Time(self.wall - other.wall, self.cpu - other.cpu)

def cpu_of_children():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime

def run(cmd, before=None, runs=5):
    walls, cpus = [], []
    for _ in range(runs):
        if before:
            before()
        cpu = cpu_of_children()
        start = time.perf_counter()
        p = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        walls.append(time.perf_counter() - start)
        cpus.append(cpu_of_children() - cpu)
        if p.returncode != 0:
            sys.exit(f"bench: {cmd[:4]} failed: {p.stderr.decode(errors='replace')[-400:]}")
    return Time(statistics.median(walls), statistics.median(cpus))

def script(name, body):
    path = os.path.join(work, name)
    with open(path, "w", encoding="cp932") as f:
        f.write("MAIN\n" + body + "END MAIN\n")
    return path

def quoted(p):
    return '"' + p.replace('"', '""') + '"'

# A start with options only opens a new document first; it is closed, so that the 100 pages
# fit (at most 100 documents are open) and both programs work on the same 100 files.
fresh_start = '  COMMAND("CloseFile")\n'
opens = fresh_start + "".join(f"  FILEOPEN({quoted(p)})\n" for p in pages)
edits = fresh_start + "".join(f"  FILEOPEN({quoted(p)})\n  INSERTSTRING(\"x\")\n" for p in pages)
make = script("make.nrs", opens + '  COMMAND("Break")\n')
load_only = script("load.nrs", opens)
brk = script("break.nrs", edits + '  COMMAND("Break")\n')

def copies():
    return [f for f in os.listdir(cfg) if f.startswith("NorvCopy")]

def clean():
    for f in os.listdir(cfg):
        if f.lower().startswith("norv.prf") or f.startswith("NorvCopy"):
            os.remove(os.path.join(cfg, f))

# The project: Break over the unmodified documents, its snapshot renamed.
clean()
run([norv, "--headless", "-A", make], runs=1)
snap = [f for f in os.listdir(cfg) if f.lower().startswith("norv.prf")]
if not snap:
    sys.exit("bench: Break wrote no workspace")
with open(os.path.join(cfg, "norv.PRF"), "rb") as f:
    head = f.read(316)
if int.from_bytes(head[308:312], "little") != len(pages) or copies():
    sys.exit("bench: the project does not hold the 100 pages alone")
for f in snap:
    os.rename(os.path.join(cfg, f), os.path.join(cfg, "bench" + f[len("norv"):].replace("PRF", "prf")))

vim = ["vim", "-u", "NONE", "-i", "NONE", "-N", "-n", "-es",
       "--cmd", "set hidden fencs=ucs-bom,utf-8,cp932,euc-jp"]
restore_norv = run([norv, "--headless", "-W", "bench"])
restore_vim = run(vim + ["-c", "bufdo echo", "-c", "qa!"] + pages)

load_norv = run([norv, "--headless", "-A", load_only])
break_norv = run([norv, "--headless", "-A", brk], before=clean)
written = len(copies())
if written != len(pages):
    sys.exit(f"bench: Break wrote {written} copies, not one for each of the {len(pages)} pages")
clean()
vimwork = os.path.join(work, "vimfiles")
def fresh():
    shutil.rmtree(vimwork, ignore_errors=True)
    os.makedirs(vimwork)
    for i, p in enumerate(pages):
        shutil.copyfile(p, os.path.join(vimwork, "%03d_%s" % (i, os.path.basename(p))))
fresh()
vimpages = sorted(os.path.join(vimwork, f) for f in os.listdir(vimwork))
load_vim = run(vim + ["-c", "bufdo echo", "-c", "qa!"] + vimpages)
break_vim = run(vim + ["-c", "bufdo s/^/x/", "-c", "wall", "-c", "qa!"] + vimpages, before=fresh)

size = sum(os.path.getsize(p) for p in pages) / 1e6
print(f"100 Shift-JIS manual pages, {size:.1f} MB; Break wrote {written} copies")
def line(name, n, v):
    return (f"{name}  norv {n.wall*1000:7.1f} ms  vim {v.wall*1000:7.1f} ms  norv/vim {n.wall/v.wall:.2f}"
            f"  | CPU norv {n.cpu*1000:7.1f} ms  vim {v.cpu*1000:7.1f} ms  norv/vim {n.cpu/v.cpu:.2f}")
print(line("restore project", restore_norv, restore_vim))
bn, bv = break_norv - load_norv, break_vim - load_vim
print(line("Break, 100 mod. ", bn, bv) +
      f"  (whole runs: norv {break_norv.wall*1000:.1f} less {load_norv.wall*1000:.1f},"
      f" vim {break_vim.wall*1000:.1f} less {load_vim.wall*1000:.1f})")
PY
