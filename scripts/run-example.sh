#!/usr/bin/env bash
# Sets up the machine, builds tolvexqr and runs the main job: an example payment order in,
# a QR code PNG with the default logo out (./qrImage.png, or the file given as $1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
./build/tolvexqr -f="${1:-qrImage.png}" < examples/pay-single.xml
