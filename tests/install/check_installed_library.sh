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
# The library exports its C interface and the operations of its C++ headers, nothing else of the
# core: every exported name is a tolvex_ function, a tolvex:: function or the version node.
library="$(pkg-config --variable=libdir tolvex)/libtolvex.so"
exported=$(nm -DC --defined-only "$library" | cut -d' ' -f3-)
if grep -Ev '^(tolvex_[a-z_0-9]+|tolvex::[a-z_0-9]+(\[abi:cxx11\])?\(.*\)@@TOLVEX_1|TOLVEX_1)(@@TOLVEX_1)?$' <<<"$exported"; then
  echo "libtolvex.so exports symbols beyond its interface"
  exit 1
fi
for name in 'tolvex_encode_xml@@TOLVEX_1' 'tolvex::encode_xml(' 'tolvex::document_field(' 'tolvex::scan_memory('; do
  grep -qF "$name" <<<"$exported" || { echo "libtolvex.so does not export $name"; exit 1; }
done
for header in tolvex.h tolvex.hpp error.hpp encode.hpp picture.hpp scan.hpp; do
  [ -f "$scratch/prefix/include/tolvex/$header" ] || { echo "tolvex/$header is not installed"; exit 1; }
done
echo "installed library works"
