#!/usr/bin/env bash
# Runs the built tools (build/) under valgrind: tolvexqr for a document of each family with and
# without logo, tolvexqr on an encoded text, as SVG and as PDF, and tolvexdecode on a text and on
# pictures and a PDF. Any memory error or definitely lost block fails the script; the pictures go
# to a temporary directory.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build >/dev/null
cmake --build build --target tolvexqr tolvexbatch tolvexdecode -j"$(nproc)" >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
check() {
  echo "valgrind: $*"
  valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite "$@" >/dev/null
}

for example in pay-single invoice invoice-items; do
  check ./build/tolvexqr -f="$out/$example-logo.png" < "examples/$example.xml"
  check ./build/tolvexqr --no_logo -s=300 -f="$out/$example.png" < "examples/$example.xml"
done
check ./build/tolvexqr -i=base32hex -r=right -v=gray -f="$out/encoded.png" < fuzz/corpus/decode/invoice-items.txt
check ./build/tolvexqr -f="$out/print.svg" < examples/invoice.xml
check ./build/tolvexqr -t=pdf --no_logo -s=300 -f="$out/print" < examples/pay-single.xml
check ./build/tolvexbatch -j=2 -o="$out/batch" examples/
check ./build/tolvexbatch -j=2 -o="$out/batch-text" fuzz/corpus/decode/
check ./build/tolvexdecode < fuzz/corpus/decode/invoice.txt
check ./build/tolvexdecode -a "$out/invoice-logo.png" "$out/pay-single.png" fuzz/corpus/pdf/invoice-page.pdf
echo "valgrind: no errors"
