#!/usr/bin/env bash
# Checks the names in the public C++ headers against .clang-tidy (readability-identifier-naming):
# one translation unit that includes each include/tolvex/*.hpp, any finding fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$tidy" ]; then
  bash scripts/setup.sh
  tidy=$(command -v clang-tidy-14 || command -v clang-tidy)
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for header in include/tolvex/*.hpp; do
  name=$(basename "$header" .hpp)
  echo "#include <tolvex/$name.hpp>" > "$scratch/$name.cpp"
  "$tidy" -quiet --config-file=.clang-tidy "$scratch/$name.cpp" -- -std=c++20 -I"$PWD/include" || status=1
done
[ "$status" -eq 0 ] && echo "tidy: the public headers follow the naming scheme"
exit "$status"
