#!/usr/bin/env bash
# Times tolvexbatch -j=2 and tolvex batch -j 2 with logo over 405 documents (the nine examples
# under 45 names each) against a loop of tolvexqr processes over the same files, and checks that
# all three wrote the same pictures, each the median of three runs: scripts/bench-batch.sh
# [build directory, default build] [build directory of the tools before, to time side by side in
# the same run]. The files go to a new directory in $TMPDIR (default /tmp); TMPDIR=/dev/shm
# leaves the disk's file system out (creating 400 files right after others were deleted costs
# ext4 more than making their pictures).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
before=${2:-}
cmake --build "$build" --target tolvexqr tolvexbatch tolvex_command_tool -j2 >/dev/null
work=$(mktemp -d -p "${TMPDIR:-/tmp}")
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
for i in $(seq 1 45); do
  for f in examples/*.xml; do cp "$f" "$work/in/$(basename "$f" .xml)-$i.xml"; done
done
count=$(ls "$work/in" | wc -l)
# The copies just made are written back by the kernel for a while; a run meanwhile measures
# that (three times the system time), not the tools.
sync

once() { local start=$(date +%s%N); "$@" >/dev/null; awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { print ns / 1e9 }'; }
# The median of three runs, each into a directory of its own: files deleted just before make
# ext4 look long for free inodes, which would be measured too.
seconds() { { once "$@" 1; once "$@" 2; once "$@" 3; } | sort -n | sed -n 2p; }
batch() { mkdir "$work/$2$3"; "$1/tolvexbatch" -j=2 -l=logo/ -o="$work/$2$3" "$work/in" 2>/dev/null; }
command_batch() {
  mkdir "$work/$2$3"
  "$1/tolvex" batch -j 2 --logo-dir logo/ -o "$work/$2$3" "$work/in" 2>/dev/null
}
loop() {
  mkdir "$work/$2$3"
  for f in "$work"/in/*.xml; do "$1/tolvexqr" -l=logo/ -f="$work/$2$3/$(basename "$f" .xml).png" <"$f" >/dev/null; done
}
report() {
  local name=$1 time=$2
  awk -v n="$count" -v name="$name" -v t="$time" 'BEGIN { printf "  %-26s %6.2f s %7.0f documents a second\n", name, t, n / t }'
}
same() { diff <(cd "$work/${1}1" && md5sum *) <(cd "$work/${2}1" && md5sum *) >/dev/null || { echo "$1 and $2 differ"; exit 1; }; }

echo "$count documents with logo on $(nproc) cores"
for side in now before; do
  dir=$build
  if [ "$side" = before ]; then
    [ -n "$before" ] || break
    dir=$before
  fi
  echo "$side ($dir):"
  report "tolvexbatch -j=2" "$(seconds batch "$dir" "$side-batch")"
  report "tolvex batch -j 2" "$(seconds command_batch "$dir" "$side-command")"
  report "loop of tolvexqr" "$(seconds loop "$dir" "$side-loop")"
  same "$side-batch" "$side-loop"
  same "$side-command" "$side-loop"
done
