#!/usr/bin/env bash
# Sets up the machine, builds tolvex_bench optimised (Release, in build-bench) and runs it: our
# QR encoder against libqrencode, encode_xml against parsing plus one compression, the whole
# path from XML to a PNG with logo, and reading a code back from a PNG (against zbarimg) and
# from an A4 PDF page, then the side-by-side summary. Every case runs 15 times in
# random order, so that load from other processes spreads over all cases alike, and medians are
# reported; arguments go to the benchmark after these settings and override them. Then
# scripts/bench-processes.sh times tolvexqr against qrencode as whole processes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOLVEX_BUILD_BENCH=ON >/dev/null
cmake --build build-bench --target tolvex_bench tolvexqr cairo_rewrite -j"$(nproc)"
./build-bench/bench/tolvex_bench --benchmark_repetitions=15 --benchmark_min_time=0.1 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true "$@"
bash scripts/bench-processes.sh
