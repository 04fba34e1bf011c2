#!/usr/bin/env bash
# Sizes of the print pictures side by side: the compact SVG and PDF of an example (plain code, with
# its summary as title and description) against segno's SVG and qrencode's SVG of the same text
# at level L with a quiet zone of 4, and cairo's SVG and PDF as tolvexqr writes them. Fails when
# our SVG without the texts (segno's carries none) is larger than segno's plus 10 %, or our PDF
# with them is 3000 bytes or more. The logo picture of tolvex make (vector logo, with the texts)
# is shown beside cairo's as tolvexqr writes it, for information.
#   scripts/bench-print-sizes.sh [example, default invoice.xml] [build directory, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
example=${1:-invoice.xml}
build=${2:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/print_sample" svg "$work/ours.svg" "$work/text.txt" < "examples/$example"
"$build/bench/print_sample" pdf "$work/ours.pdf" < "examples/$example"
"$build/bench/print_sample" svg-bare "$work/bare.svg" < "examples/$example"
"$build/bench/print_sample" pdf-bare "$work/bare.pdf" < "examples/$example"
"$build/tolvexqr" --no_logo -f="$work/cairo.svg" < "examples/$example" > /dev/null
"$build/tolvexqr" --no_logo -f="$work/cairo.pdf" < "examples/$example" > /dev/null
for format in svg pdf; do
  "$build/tolvex" make -q --logo-dir logo/ -o "$work/logo.$format" "examples/$example"
  "$build/tolvexqr" -l=logo/ -f="$work/cairo-logo.$format" < "examples/$example" > /dev/null
done
# Debian's interpreter, which has python3-segno, whatever python3 comes first on PATH.
/usr/bin/python3 -c "import segno, sys; segno.make_qr(open(sys.argv[1]).read(), error='L', boost_error=False).save(sys.argv[2], border=4)" \
  "$work/text.txt" "$work/segno.svg"
qrencode -l L -m 4 -t SVG --svg-path -o "$work/qrencode.svg" < "$work/text.txt"
/usr/bin/python3 - "$work" <<'PY'
import os, sys
work = sys.argv[1]
size = lambda name: os.path.getsize(os.path.join(work, name))
rows = [("ours, SVG (compact, no texts, as segno's)", "bare.svg"),
        ("ours, SVG (compact, with title and description)", "ours.svg"),
        ("segno, SVG", "segno.svg"),
        ("qrencode --svg-path, SVG", "qrencode.svg"),
        ("tolvexqr (cairo), SVG", "cairo.svg"),
        ("ours, PDF (compact, tagged, no texts)", "bare.pdf"),
        ("ours, PDF (compact, tagged, with title, subject and alternate text)", "ours.pdf"),
        ("tolvexqr (cairo), PDF", "cairo.pdf"),
        ("ours, logo picture SVG (compact, vector logo, with texts)", "logo.svg"),
        ("tolvexqr (cairo), logo picture SVG", "cairo-logo.svg"),
        ("ours, logo picture PDF (compact, vector logo, with texts)", "logo.pdf"),
        ("tolvexqr (cairo), logo picture PDF", "cairo-logo.pdf")]
for label, name in rows:
    print(f"{size(name):8d} bytes  {label}")
limit = size("segno.svg") * 1.10
ok = size("bare.svg") <= limit and size("ours.pdf") < 3000
print(f"SVG without texts at most {limit:.0f} bytes (segno + 10 %), PDF with texts under 3000 bytes: "
      f"{'met' if ok else 'MISSED'}")
sys.exit(0 if ok else 1)
PY
