#!/usr/bin/env bash
# Sets up the machine, builds tolvex_bench optimised (Release, in build-bench) and runs it: our
# QR encoder against libqrencode, encode_xml against parsing plus one compression, and the whole
# path from XML to a PNG with logo, then the side-by-side summary. Arguments go to the benchmark;
# without any it runs every case 15 times in random order, so that load from other processes
# spreads over all cases alike, and reports medians.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOLVEX_BUILD_BENCH=ON >/dev/null
cmake --build build-bench --target tolvex_bench -j"$(nproc)"
if [ $# -eq 0 ]; then
  set -- --benchmark_repetitions=15 --benchmark_min_time=0.1 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true
fi
./build-bench/bench/tolvex_bench "$@"
