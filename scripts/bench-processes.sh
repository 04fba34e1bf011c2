#!/usr/bin/env bash
# Times whole processes: tolvexqr writing the plain 400-pixel picture of an encoded text against
# qrencode writing the same text at 6 pixels a module, each also started with nothing to do, over
# many runs taken in turns (Python's time.perf_counter around each process). Then the sizes of
# the PNG files: ours, cairo's writer for the same picture, and qrencode's. A tolvexqr from before
# a change, when given, takes its turns in the same runs.
#   scripts/bench-processes.sh [runs, default 300] [tolvexqr, default build-bench/tolvexqr]
#                              [cairo_rewrite, default build-bench/bench/cairo_rewrite]
#                              [tolvexqr before, default none]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-300}
tool=${2:-build-bench/tolvexqr}
rewrite=${3:-build-bench/bench/cairo_rewrite}
before=${4:-}
python3 - "$runs" "$tool" "$rewrite" "$before" <<'EOF'
import os, statistics, subprocess, sys, tempfile, time

runs, tool, rewrite = int(sys.argv[1]), os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
before = os.path.abspath(sys.argv[4]) if sys.argv[4] else None
with open("fuzz/corpus/decode/pay-single.txt", "rb") as f:
    text = f.read()
work = tempfile.mkdtemp(prefix="tolvex-bench-")
ours, peer = os.path.join(work, "ours.png"), os.path.join(work, "qrencode.png")
cases = {
    "tolvexqr -i=base32hex --no_logo -s=400": ([tool, "-i=base32hex", "--no_logo", "-s=400", "-f=" + ours], text),
    "qrencode -l L -s 6 -m 4": (["qrencode", "-l", "L", "-s", "6", "-m", "4", "-o", peer], text),
    "tolvexqr, illegal option (start only)": ([tool, "-v=none"], b""),
    "qrencode -V (start only)": (["qrencode", "-V"], b""),
}
if before:
    cases["before: tolvexqr -i=base32hex --no_logo -s=400"] = (
        [before, "-i=base32hex", "--no_logo", "-s=400", "-f=" + os.path.join(work, "before.png")], text)
    cases["before: tolvexqr, illegal option"] = ([before, "-v=none"], b"")
times = {name: [] for name in cases}
for _ in range(runs):
    for name, (command, stdin) in cases.items():
        start = time.perf_counter()
        subprocess.run(command, input=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times[name].append(time.perf_counter() - start)

median = {name: statistics.median(values) * 1e3 for name, values in times.items()}
print("Processes, median wall time of %d runs each, taken in turns" % runs)
for name, value in median.items():
    print("  %-42s %7.2f ms" % (name, value))
names = list(cases)
ratio = median[names[0]] / median[names[1]]
print("  tolvexqr / qrencode: %.2f (target 1.2)" % ratio)
if before:
    print("  before / qrencode: %.2f" % (median[names[4]] / median[names[1]]))
print("  tolvexqr beyond its own start: %.2f ms; qrencode beyond its start: %.2f ms"
      % (median[names[0]] - median[names[2]], median[names[1]] - median[names[3]]))

cairo = os.path.join(work, "cairo.png")
subprocess.run([rewrite, ours, cairo], check=True)
print("PNG sizes of the picture: tolvexqr %d bytes, cairo's writer %d bytes, qrencode %d bytes"
      % (os.path.getsize(ours), os.path.getsize(cairo), os.path.getsize(peer)))
for path in (ours, peer, cairo) + ((os.path.join(work, "before.png"),) if before else ()):
    os.remove(path)
os.rmdir(work)
EOF
