#!/usr/bin/env bash
# Builds the tool tests, the C interface tests and the service's tests with ThreadSanitizer (in
# build-tsan) and runs their concurrency tests: eight threads encoding and rendering at once, and
# the service answering many connections on its pools of threads (all its tests but those that
# start the tolvex command or a browser). Any race report fails the script (but those inside
# the calls of libraries not built with it, see scripts/tsan.supp).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
  >/dev/null
cmake --build build-tsan --target tolvex_tool_tests tolvex_capi_tests tolvex_serve_tests -j"$(nproc)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
  ./build-tsan/tests/cli/tolvex_tool_tests --gtest_filter='Concurrency.*'
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
  ./build-tsan/tests/tolvex_capi_tests --gtest_filter='CInterface.Threads*'
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
  ./build-tsan/tests/serve/tolvex_serve_tests --gtest_filter='-Command.*:Serve.*'
