#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang (in build-fuzz) and runs each for a bounded
# time: scripts/fuzz.sh [seconds per harness, default 30] [harness...]. Each run starts from the
# committed seeds in fuzz/corpus/<harness>/ and keeps what it finds in build-fuzz/corpus/;
# any crash, leak, sanitizer report or failed property fails the script, and the input that
# caused it is left in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
seconds=${1:-30}
shift $(($# > 0 ? 1 : 0))
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(xml_encode json_encode decode qr_encode base32hex options batch_options picture pdf command_line tiff webp heic bmp check png_compose logo_twin serve)

cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build build-fuzz --target "${targets[@]}" -j"$(nproc)"

mkdir -p build-fuzz/artifacts
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# fontconfig, which poppler asks for the fonts of a PDF, loses a block on some damaged fonts.
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
for h in "${harnesses[@]}"; do
  mkdir -p "build-fuzz/corpus/$h"
  echo "fuzz: $h for ${seconds} s"
  # Texts reach 7089 characters in the largest QR code; the limit lets inputs grow past that.
  # A PDF page with text carries its fonts: the PDF seeds are larger.
  max_len=8192
  [ "$h" = pdf ] && max_len=65536
  "build-fuzz/fuzz_$h" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/$h-" "build-fuzz/corpus/$h" "fuzz/corpus/$h" \
    2> "build-fuzz/$h.log" || { tail -n 60 "build-fuzz/$h.log"; echo "fuzz: $h failed" >&2; exit 1; }
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "build-fuzz/$h.log" | sed "s/^/fuzz: $h /"
done
echo "fuzz: every harness ran ${seconds} s without a finding"
