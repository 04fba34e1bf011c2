#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds the example program against it through
# pkg-config, as another project would; then runs it on an example document.
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
export PKG_CONFIG_PATH=$(dirname "$(find "$scratch/prefix" -name tolvex.pc)")
cc -Wall -Wextra -Werror "$source/examples/library/encode_and_draw.c" $(pkg-config --cflags --libs tolvex) \
  -o "$scratch/encode_and_draw"

logodir=$(pkg-config --variable=logodir tolvex)
LD_LIBRARY_PATH=$(pkg-config --variable=libdir tolvex) \
  "$scratch/encode_and_draw" "$source/examples/invoice.xml" "$logodir" "$scratch/code.png" >"$scratch/out"

text=$(head -n 1 "$scratch/out")
decoded=$(zbarimg --raw -q "$scratch/code.png" 2>/dev/null)
[ "$decoded" = "$text" ] || { echo "the picture holds '$decoded', expected '$text'"; exit 1; }
pdftoppm -png -r 72 -singlefile "$scratch/code.png.pdf" "$scratch/page" 2>/dev/null
decoded=$(zbarimg --raw -q "$scratch/page.png" 2>/dev/null)
[ "$decoded" = "$text" ] || { echo "the PDF holds '$decoded', expected '$text'"; exit 1; }
grep -q '<PayableAmount>' "$scratch/out" || { echo "no decoded XML with computed amounts"; exit 1; }
grep -q 'read back from .*: the same document' "$scratch/out" || { echo "the picture did not read back"; exit 1; }
[ -x "$scratch/prefix/bin/tolvexqr" ] && [ -x "$scratch/prefix/bin/tolvexdecode" ]
[ "$(ls "$logodir" | wc -l)" -eq 96 ]
# The library exports its C interface and nothing of the C++ core.
if nm -D --defined-only "$(pkg-config --variable=libdir tolvex)/libtolvex.so" | awk '{print $3}' | grep -v '^tolvex_' | grep -q .; then
  echo "libtolvex.so exports symbols beyond its C interface"
  exit 1
fi
echo "installed library works"
