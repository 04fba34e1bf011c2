#!/usr/bin/env bash
# Sets up the machine, builds tolvex_bench optimised (Release, in build-bench) and runs it: our
# QR encoder against libqrencode, encode_xml against parsing plus one compression, and the whole
# path from XML to a PNG with logo, then the side-by-side summary. Arguments go to the benchmark;
# without any it repeats every case 5 times and reports medians.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOLVEX_BUILD_BENCH=ON >/dev/null
cmake --build build-bench --target tolvex_bench -j"$(nproc)"
if [ $# -eq 0 ]; then
  set -- --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
fi
./build-bench/bench/tolvex_bench "$@"
