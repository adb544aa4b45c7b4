#!/bin/bash
# External programs from a script, beside vim doing the same and plain sort, in the same run:
#   - capture: `seq 1 3000000` read into the output document (SHELLCMD with "O"), which is then
#     saved, beside `vim -es -c 'r !seq 1 3000000' -c wq`;
#   - filter: a file of 1,000,000 lines through `sort %T` (the whole text, replaced), then saved,
#     beside `vim -es -c '%!sort' -c wq` and `sort FILE > OUT`.
# Every timing is a whole run (start, load, run, save, exit) of `norv --headless -A SCRIPT` and
# of vim; the medians of five wall and processor times, the order of the programs alternating.
# The outputs are compared before anything is timed. Targets: ahead of vim on both, within 1.5x
# of sort.
#   bench/tools/run_shell_bench.sh BUILD_DIR
# BUILD_DIR is a release build (-DNORV_BENCH=ON); norv is built in it when needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DNORV_BENCH=ON -DNORV_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target norv >/dev/null
command -v vim >/dev/null || { echo "bench: vim is not installed" >&2; exit 1; }
norv=$build/src/gui/norv
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LC_ALL=C NORV_ACP=932 QT_QPA_PLATFORM=offscreen HOME=$dir

# 1,000,000 lines of words and numbers in no order, about 30 bytes each, the same every run.
awk 'BEGIN { srand(29); for (i = 0; i < 1000000; i++) {
  n = int(rand() * 4) + 2; line = ""
  for (w = 0; w < n; w++) line = line sprintf("%s%x", w ? " " : "", int(rand() * 2^31))
  print line } }' > "$dir/lines.txt"
cat > "$dir/capture.nrs" <<'NRS'
MAIN
IF SHELLCMD("seq 1 3000000", "O") = 0 THEN
  MSGBOX("the capture did not start")
END IF
SAVEAS(ENVIRON("OUT"))
END MAIN
NRS
cat > "$dir/filter.nrs" <<'NRS'
MAIN
IF SHELLCMD("sort %T", "") = 0 THEN
  MSGBOX("the filter did not start")
END IF
SAVEAS(ENVIRON("OUT"))
END MAIN
NRS

python3 - "$norv" "$dir" <<'PY'
import os, shutil, statistics, subprocess, sys, time
norv, d = sys.argv[1:3]
lines = os.path.join(d, "lines.txt")
out = os.path.join(d, "out.txt")
limit = 300

# Runs a command to its end; its processor time (user and system, with the children it waited
# for: the program it ran) in seconds.
def run(cmd, env):
    with open(os.path.join(d, "stderr.txt"), "wb") as err:
        p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=err, env=env)
        deadline = time.monotonic() + limit
        while True:
            pid, status, usage = os.wait4(p.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() > deadline:
                p.kill()
                p.wait()
                sys.exit(f"bench: {cmd[0]} gave no end within {limit} s")
            time.sleep(0.005)
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        with open(os.path.join(d, "stderr.txt"), "rb") as err:
            sys.exit(f"bench: {cmd} failed ({code}): {err.read().decode(errors='replace')[-400:]}")
    return usage.ru_utime + usage.ru_stime

cases = {
    "capture": {
        "norv": [norv, "--headless", "-A", os.path.join(d, "capture.nrs")],
        "vim": ["vim", "-es", "-u", "NONE", "-i", "NONE", "-N", "-c", "r !seq 1 3000000",
                "-c", "wq", out],
    },
    "filter": {
        "norv": [norv, "--headless", "-A", os.path.join(d, "filter.nrs"), lines],
        "vim": ["vim", "-es", "-u", "NONE", "-i", "NONE", "-N", "-c", "%!sort", "-c", "wq", out],
        "sort": ["sh", "-c", f"sort '{lines}' > '{out}'"],
    },
}
env = dict(os.environ, OUT=out)

# vim filters its file in place: it gets a fresh copy of the input each time.
def once(case, who):
    if os.path.exists(out):
        os.remove(out)
    if case == "filter" and who == "vim":
        shutil.copyfile(lines, out)
    t = time.perf_counter()
    cpu = run(cases[case][who], env=env)
    return time.perf_counter() - t, cpu

def text(path):
    with open(path, "rb") as f:
        return f.read().replace(b"\r\n", b"\n")

# The outputs first: the same lines from every program (vim's read keeps the empty line of its
# empty buffer, after the lines it read, and norv's saved text may end without a line end).
expected = {
    "capture": b"".join(b"%d\n" % i for i in range(1, 3000001)),
    "filter": b"".join(sorted(l + b"\n" for l in text(lines).split(b"\n") if l)),
}
for case, whos in cases.items():
    for who in whos:
        once(case, who)
        got = text(out)
        if case == "capture" and who == "vim":
            if got.startswith(b"\n"):
                got = got[1:]
            elif got.endswith(b"\n\n"):
                got = got[:-1]
        if not got.endswith(b"\n"):
            got += b"\n"
        if got != expected[case]:
            sys.exit(f"bench: {who}'s {case} output differs ({len(got)} bytes, {len(expected[case])} expected)")

# Wall time is what the targets are about; processor time (the program's children included)
# says the same on a machine that other work keeps busy.
runs = 5
print(f"{'':18}{'norv s':>9}{'vim s':>9}{'sort s':>9}{'norv/vim':>10}{'norv/sort':>11}")
for case, whos in cases.items():
    times = {w: [] for w in whos}
    order = list(whos)
    for r in range(runs):
        for who in (order if r % 2 == 0 else order[::-1]):
            times[who].append(once(case, who))
    for k, kind in ((0, "wall"), (1, "cpu")):
        m = {w: statistics.median(t[k] for t in ts) for w, ts in times.items()}
        line = f"{case + ' ' + kind:18}{m['norv']:9.3f}{m['vim']:9.3f}"
        line += f"{m['sort']:9.3f}" if "sort" in m else f"{'':9}"
        line += f"{m['norv'] / m['vim']:9.2f}x"
        line += f"{m['norv'] / m['sort']:10.2f}x" if "sort" in m else ""
        print(line)
print("targets (wall): norv/vim below 1 on both; norv/sort within 1.5x")
PY
