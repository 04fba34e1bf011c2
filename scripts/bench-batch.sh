#!/usr/bin/env bash
# Times tolvexbatch with logo over a few hundred documents (the nine examples under 34 names
# each) against a loop of tolvexqr processes over the same files, and checks that both wrote
# the same bytes: scripts/bench-batch.sh [build directory, default build].
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tolvexqr tolvexbatch -j"$(nproc)" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/batch" "$work/loop"
for i in $(seq 1 34); do
  for f in examples/*.xml; do cp "$f" "$work/in/$(basename "$f" .xml)-$i.xml"; done
done
count=$(ls "$work/in" | wc -l)

seconds() { local start=$(date +%s%N); "$@"; awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { print ns / 1e9 }'; }
batch() { "$build/tolvexbatch" -l=logo/ -o="$work/batch" "$work/in" 2>/dev/null; }
loop() { for f in "$work"/in/*.xml; do "$build/tolvexqr" -l=logo/ -f="$work/loop/$(basename "$f" .xml).png" <"$f" >/dev/null; done; }
batch_time=$(seconds batch)
loop_time=$(seconds loop)
diff <(cd "$work/batch" && md5sum *) <(cd "$work/loop" && md5sum *) >/dev/null || { echo "the pictures differ"; exit 1; }
awk -v n="$count" -v cores="$(nproc)" -v b="$batch_time" -v l="$loop_time" 'BEGIN {
  printf "%d documents with logo on %d cores: tolvexbatch %.2f s (%.0f a second), tolvexqr loop %.2f s (%.0f a second), %.1fx\n",
         n, cores, b, n / b, l, n / l, l / b }'
