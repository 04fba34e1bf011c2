#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as another project would: the C example
# built through pkg-config, the C++ one through the CMake package, the Python module installed with pip and its example run with the
# library found through the loader path. All run on an example invoice.
#   check_installed_library.sh BUILD SOURCE [PYTHON...]
set -euo pipefail
build=$1
source=$2
shift 2
python=("${@:-python3}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
export PKG_CONFIG_PATH=$(dirname "$(find "$scratch/prefix" -name tolvex.pc)")
libdir=$(pkg-config --variable=libdir tolvex)
logodir=$(pkg-config --variable=logodir tolvex)
invoice=$source/examples/invoice.xml

cc -Wall -Wextra -Werror "$source/examples/c/encode_and_draw.c" $(pkg-config --cflags --libs tolvex) \
  -o "$scratch/encode_and_draw"
LD_LIBRARY_PATH=$libdir "$scratch/encode_and_draw" "$invoice" "$logodir" "$scratch/c.png" >"$scratch/c.out"

text=$(head -n 1 "$scratch/c.out")
decoded=$(zbarimg --raw -q "$scratch/c.png" 2>/dev/null)
[ "$decoded" = "$text" ] || { echo "the picture holds '$decoded', expected '$text'"; exit 1; }
pdftoppm -png -r 72 -singlefile "$scratch/c.png.pdf" "$scratch/page" 2>/dev/null
decoded=$(zbarimg --raw -q "$scratch/page.png" 2>/dev/null)
[ "$decoded" = "$text" ] || { echo "the PDF holds '$decoded', expected '$text'"; exit 1; }
grep -q '<PayableAmount>4376</PayableAmount>' "$scratch/c.out" || { echo "no decoded XML with computed amounts"; exit 1; }
grep -qx 'read back from .*: the same text' "$scratch/c.out" || { echo "the C example did not read back"; exit 1; }
grep -qx 'PayableAmount: 4376' "$scratch/c.out" || { echo "the C example gives no computed amount"; exit 1; }

# The module from a copy of its source, so that pip leaves nothing behind in the tree.
cp -r "$source/python" "$scratch/module"
PIP_ROOT_USER_ACTION=ignore "${python[@]}" -m pip install -q --disable-pip-version-check --no-deps \
  --no-build-isolation --target "$scratch/site" "$scratch/module"
env -u TOLVEX_LIBRARY PYTHONPATH="$scratch/site" PYTHONDONTWRITEBYTECODE=1 LD_LIBRARY_PATH="$libdir" \
  "${python[@]}" "$source/examples/python/encode_and_draw.py" "$invoice" "$logodir" "$scratch/py.png" >"$scratch/py.out"
# Both interfaces give the same text, the same picture bytes and the same amount.
grep -v '^<' "$scratch/c.out" | sed 's/c\.png/X/' >"$scratch/c.lines"
sed 's/py\.png/X/' "$scratch/py.out" >"$scratch/py.lines"
diff "$scratch/c.lines" "$scratch/py.lines" || { echo "the Python example differs from the C one"; exit 1; }
cmp "$scratch/c.png" "$scratch/py.png" || { echo "the Python example draws other bytes"; exit 1; }

# The C++ example through the CMake package, also the same lines and bytes.
cmake -S "$source/examples/cpp" -B "$scratch/cpp" -DCMAKE_PREFIX_PATH="$scratch/prefix" \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$scratch/cpp" >/dev/null
LD_LIBRARY_PATH=$libdir "$scratch/cpp/encode_and_draw" "$invoice" "$scratch/cpp.png" >"$scratch/cpp.out"
sed 's/cpp\.png/X/' "$scratch/cpp.out" >"$scratch/cpp.lines"
sed 's/c\.png/X/' "$scratch/c.out" >"$scratch/c.all"
diff "$scratch/c.all" "$scratch/cpp.lines" || { echo "the C++ example differs from the C one"; exit 1; }
cmp "$scratch/c.png" "$scratch/cpp.png" || { echo "the C++ example draws other bytes"; exit 1; }

[ -x "$scratch/prefix/bin/tolvexqr" ] && [ -x "$scratch/prefix/bin/tolvexdecode" ] && [ -x "$scratch/prefix/bin/tolvex" ]
# Each logo picture with its SVG twin.
[ "$(ls "$logodir" | grep -c "\.png$")" -eq 96 ]
[ "$(ls "$logodir" | grep -c "\.svg$")" -eq 96 ]
# The library exports its C interface and the operations of its C++ headers, nothing else of the
# core: every exported name is a tolvex_ function, a tolvex:: function or the version node.
library="$(pkg-config --variable=libdir tolvex)/libtolvex.so"
# Global names only: a linked library that exports standard-library instantiations (libqpdf)
# leaves local entries of ours in the dynamic table, which no program can bind to.
exported=$(nm -DCg --defined-only "$library" | cut -d' ' -f3-)
if grep -Ev '^(tolvex_[a-z_0-9]+|tolvex::[a-z_0-9]+(\[abi:cxx11\])?\(.*\)@@TOLVEX_1|TOLVEX_1)(@@TOLVEX_1)?$' <<<"$exported"; then
  echo "libtolvex.so exports symbols beyond its interface"
  exit 1
fi
for name in 'tolvex_encode_xml@@TOLVEX_1' 'tolvex::encode_xml(' 'tolvex::document_field(' 'tolvex::scan_memory(' \
            'tolvex::render(' 'tolvex::write_picture(' 'tolvex::decode(' 'tolvex::to_xml' 'tolvex::scan('; do
  grep -qF "$name" <<<"$exported" || { echo "libtolvex.so does not export $name"; exit 1; }
done
for header in tolvex.h tolvex.hpp error.hpp result.hpp encode.hpp picture.hpp picture_options.hpp scan.hpp; do
  [ -f "$scratch/prefix/include/tolvex/$header" ] || { echo "tolvex/$header is not installed"; exit 1; }
done
# The tolvex command run from another folder finds the installed logos, also once the whole
# installation is moved, and draws what tolvexqr draws with them.
mkdir "$scratch/elsewhere"
"$scratch/prefix/bin/tolvexqr" -l="$logodir/" -f="$scratch/qr.png" <"$invoice" >/dev/null
(cd "$scratch/elsewhere" && env -u TOLVEX_LOGO_DIR "$scratch/prefix/bin/tolvex" make -q -o code.png "$invoice")
cmp "$scratch/elsewhere/code.png" "$scratch/qr.png" || { echo "tolvex make does not draw with the installed logos"; exit 1; }
# Reading runs in a program of its own in libexec/tolvex, found from the command.
expected=$("$scratch/prefix/bin/tolvex" encode "$invoice")
read_back() { "$1/bin/tolvex" read --text "$scratch/elsewhere/code.png"; }
[ "$(read_back "$scratch/prefix")" = "$expected" ] || { echo "tolvex read does not run its installed program"; exit 1; }
mv "$scratch/prefix" "$scratch/moved"
(cd "$scratch/elsewhere" && env -u TOLVEX_LOGO_DIR "$scratch/moved/bin/tolvex" make -q -o moved.png "$invoice")
[ "$(read_back "$scratch/moved")" = "$expected" ] || { echo "a moved installation loses its programs"; exit 1; }
mv "$scratch/moved" "$scratch/prefix"
cmp "$scratch/elsewhere/moved.png" "$scratch/qr.png" || { echo "a moved installation loses its logos"; exit 1; }

# Its manual page, and its bash completion.
MANPATH="$scratch/prefix/share/man" MANWIDTH=100 man -P cat tolvex 2>/dev/null | grep -q 'tolvex make' ||
  { echo "man tolvex does not show the installed page"; exit 1; }
for page in tolvex tolvexqr tolvexbatch tolvexdecode; do
  man -l -P cat "$scratch/prefix/share/man/man1/$page.1" 2>/dev/null | grep -q "^NAME" || { echo "no manual page $page"; exit 1; }
done
completion=$scratch/prefix/share/bash-completion/completions/tolvex
reply=$(bash -c 'source "$1"; COMP_WORDS=(tolvex ma); COMP_CWORD=1; _tolvex; echo "${COMPREPLY[*]}"' _ "$completion")
[ "$reply" = make ] || { echo "bash completes 'tolvex ma' to '$reply'"; exit 1; }
reply=$(bash -c 'source "$1"; COMP_WORDS=(tolvex make --colour ""); COMP_CWORD=3; _tolvex; echo "${COMPREPLY[*]}"' _ "$completion")
[ "$reply" = "dark medium light gray" ] || { echo "bash completes --colour to '$reply'"; exit 1; }
[ -f "$scratch/prefix/share/zsh/vendor-completions/_tolvex" ] && [ -f "$scratch/prefix/share/fish/vendor_completions.d/tolvex.fish" ]
echo "installed library works"
