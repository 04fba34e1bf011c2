#!/usr/bin/env bash
# Configures and builds the library and tolvexqr with TOLVEX_READERS=OFF in a scratch build tree,
# then checks that neither loads a reading library, that tolvexqr still draws a code, and that
# the scanning entries are still exported and fail with their message.
#   check_without_readers.sh SOURCE SCRATCH PYTHON [COMPILER_LAUNCHER]
set -euo pipefail
source=$1
scratch=$2
python=$3
launcher=${4:-}
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEX_READERS=OFF -DTOLVEX_WERROR=ON -DTOLVEX_BUILD_TESTS=OFF
         -DTOLVEX_BUILD_BENCH=OFF)
[ -z "$launcher" ] || options+=(-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")
cmake -S "$source" -B "$scratch" "${options[@]}" >/dev/null
cmake --build "$scratch" --target tolvex tolvexqr -j2 >/dev/null

library=$(find "$scratch/src/capi" -name 'libtolvex.so.1' | head -n 1)
for binary in "$library" "$scratch/tolvexqr"; do
  if ldd "$binary" | grep -Ei 'zxing|zbar|poppler|turbojpeg'; then
    echo "$binary loads a reading library"; exit 1
  fi
done
[ ! -e "$scratch/tolvexdecode" ] || { echo "tolvexdecode was built"; exit 1; }
"$scratch/tolvexqr" --no_logo -f="$scratch/code.png" < "$source/examples/pay-single.xml" >/dev/null
for entry in tolvex_scan_memory tolvex_scan_file tolvex_scanned_codes_free; do
  nm -D --defined-only "$library" | grep -qw "$entry" || { echo "$entry is not exported"; exit 1; }
done
TOLVEX_LIBRARY=$library PYTHONPATH=$source/python PYTHONDONTWRITEBYTECODE=1 "$python" - "$scratch/code.png" <<'PY'
import sys
import tolvex
for call in (lambda: tolvex.scan(b"\x89PNG"), lambda: tolvex.scan_file(sys.argv[1])):
    try:
        call()
    except tolvex.TolvexError as error:
        assert error.line == "ERROR_ILLEGAL_ARGUMENT: Reading codes is not built in.  ", error.line
    else:
        raise AssertionError("scanning succeeded without the readers")
PY
echo "without readers: library and tolvexqr built, scanning entries refuse"
