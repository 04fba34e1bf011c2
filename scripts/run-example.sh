#!/usr/bin/env bash
# Sets up the machine, builds tolvexqr and runs the main job: an example payment order in,
# a QR code PNG with the default logo out (./qrImage.png, or the file given as $1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh tool
# Only the tool: the tests and benchmarks come with the test command.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_BUILD_TESTS=OFF -DTOLVEX_BUILD_BENCH=OFF >/dev/null
cmake --build build --target tolvexqr -j"$(nproc)"
./build/tolvexqr -f="${1:-qrImage.png}" < examples/pay-single.xml
