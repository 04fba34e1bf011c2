#!/usr/bin/env bash
# Sets up the machine, then builds and runs the whole test suite twice: in the normal build
# and in the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

bash scripts/build.sh build -DTOLVEX_WERROR=ON -DTOLVEX_BUILD_TESTS=ON -DTOLVEX_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure -j"$(nproc)"

bash scripts/build.sh build-asan -DTOLVEX_SANITIZE=ON -DTOLVEX_BUILD_TESTS=ON
# fontconfig, which cairo and poppler ask for fonts, loses blocks of its own at times.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
