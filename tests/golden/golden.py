#!/usr/bin/python3
"""What the tools write, pinned: every example with every logo placement, colour and frame and
several plain sizes, SVG and PDF of every family, every encoded text among the fuzz seeds,
tolvexdecode on pictures that tolvexqr writes, and the failures the tests know.
For each case it keeps the exit status, standard output, standard error and the written file
(its SHA-256 and the SHA-256 of its decoded RGBA pixels, so that a PNG written with other bytes
but the same picture is told apart from a different picture).

  golden.py record --qr TOLVEXQR --decode TOLVEXDECODE --pixels PNG_PIXELS   writes expected.json here
  golden.py check  --qr TOLVEXQR --decode TOLVEXDECODE --pixels PNG_PIXELS   prints every difference

Record only when a change of output is intended, and say which in the commit.
"""

import argparse
import base64
import concurrent.futures
import hashlib
import json
import lzma
import os
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
EXPECTED = os.path.join(HERE, "expected.json")
LOGO = os.path.join(SOURCE, "logo") + "/"
EXAMPLES = sorted(f for f in os.listdir(os.path.join(SOURCE, "examples")) if f.endswith(".xml"))
SEEDS = os.path.join(SOURCE, "fuzz", "corpus", "decode")
TEXTS = sorted(f for f in os.listdir(SEEDS) if f.endswith(".txt"))

ROTATIONS = ["bottom", "top", "left", "right"]
VARIATIONS = ["dark", "medium", "light", "gray"]
PLAIN_SIZES = [0, 57, 123, 400, 1001]
OUTPUT = "out.png"

LZMA_FILTERS = [{"id": lzma.FILTER_LZMA1, "lc": 3, "lp": 0, "pb": 2, "dict_size": 131072}]


def example(name):
    with open(os.path.join(SOURCE, "examples", name), "rb") as f:
        return f.read()


def seed(name):
    with open(os.path.join(SEEDS, name), "rb") as f:
        return f.read()


def container(header, fields):
    """A container packed here rather than by the tool: for texts no valid document gives."""
    payload = zlib.crc32(fields).to_bytes(4, "little") + fields
    stream = lzma.compress(payload, format=lzma.FORMAT_RAW, filters=LZMA_FILTERS)
    data = bytes(header) + len(payload).to_bytes(2, "little") + stream
    return base64.b32hexencode(data).decode().rstrip("=").encode()


def replaced(data, old, new):
    assert old in data, old
    return data.replace(old, new, 1)


def cases():
    """(name, tool, arguments, standard input, files to create first, tool runs that make more
    files first) for every case."""
    found = []

    def add(name, tool, args, stdin=b"", files=None):
        found.append((name, tool, args, stdin, files or {}, []))

    for xml in EXAMPLES:
        for rotation in ROTATIONS:
            for variation in VARIATIONS:
                for frame in (True, False):
                    args = ["-l=" + LOGO, "-f=" + OUTPUT, "-r=" + rotation, "-v=" + variation]
                    if not frame:
                        args.append("--no_frame")
                    add("%s %s" % (xml, " ".join(args[2:])), "qr", args, example(xml))
        for size in PLAIN_SIZES:
            add("%s --no_logo -s=%d" % (xml, size), "qr", ["--no_logo", "-s=%d" % size, "-f=" + OUTPUT],
                example(xml))
    add("default output name", "qr", ["-l=" + LOGO], example("pay-single.xml"))
    for xml in ("pay-single.xml", "invoice.xml", "invoice-items.xml"):
        for name, option in (("out.svg", None), ("out.pdf", None), ("out.png", "-t=svg"), ("out.png", "-t=PDF")):
            for args in (["-l=" + LOGO, "-r=right", "--no_frame"], ["--no_logo", "-s=300"]):
                args = args + ["-f=" + name] + ([option] if option else [])
                add("%s %s" % (xml, " ".join(a for a in args if not a.startswith("-l="))), "qr", args, example(xml))

    for text in TEXTS:
        add("%s -i=base32hex" % text, "qr", ["-i=base32hex", "-l=" + LOGO, "-f=" + OUTPUT], seed(text))
        add("%s -i=base32hex -r=right -v=gray" % text, "qr",
            ["-i=base32hex", "-l=" + LOGO, "-r=right", "-v=gray", "-f=" + OUTPUT], seed(text))
        add("%s -i=base32hex --no_logo -s=300" % text, "qr", ["-i=base32hex", "--no_logo", "-s=300", "-f=" + OUTPUT],
            seed(text))
        add("%s decode" % text, "decode", [], seed(text))
        add("%s decode, line end" % text, "decode", [], seed(text) + b"\n")

    pay = example("pay-single.xml")
    text = seed("pay-single.txt")
    bad_character = text[: len(text) // 2] + b"W" + text[len(text) // 2 + 1 :]
    qr_failures = [
        ("usage", [], b""),
        ("help", ["--help"], pay),
        ("help among other options", ["-v=foo", "-h"], pay),
        ("version", ["--version"], pay),
        ("illegal variation", ["-v=foo"], pay),
        ("illegal rotation", ["-r=middle"], pay),
        ("illegal input kind", ["-i=text"], pay),
        ("illegal output type", ["-t=gif"], pay),
        ("variation without value", ["-v"], pay),
        ("options in any case", ["-F=" + OUTPUT, "-L=" + LOGO, "-V=MEDIUM", "-R=Left"], pay),
        ("invalid currency", ["-l=" + LOGO], replaced(pay, b">CZK<", b">CZ1<")),
        ("date out of range", ["-l=" + LOGO], replaced(pay, b"2026-03-16", b"2026-13-16")),
        ("empty input", ["-l=" + LOGO], b""),
        ("unknown root", ["-l=" + LOGO], b"<Payment/>"),
        ("malformed XML", ["-l=" + LOGO], b"<Pay><InvoiceID>1</Pay>"),
        ("comma as decimal mark", ["-l=" + LOGO], replaced(pay, b"12480.00", b"12480,00")),
        ("amount nan", ["-l=" + LOGO, "-f=" + OUTPUT], replaced(pay, b"12480.00", b"nan")),
        ("amount inf", ["-l=" + LOGO, "-f=" + OUTPUT], replaced(pay, b"12480.00", b"inf")),
        ("amount 1e400", ["-l=" + LOGO, "-f=" + OUTPUT], replaced(pay, b"12480.00", b"1e400")),
        ("amount hexadecimal", ["-l=" + LOGO, "-f=" + OUTPUT], replaced(pay, b"12480.00", b"0x1p3")),
        ("note with markup", ["-l=" + LOGO, "-f=" + OUTPUT],
         replaced(pay, b"kancel", b"orders &gt; 100 &amp; &lt;b&gt; kancel")),
        ("sequence limit", ["-l=" + LOGO], replaced(pay, b"kancel", b"x" * 600 + b"kancel")),
        ("missing logo directory", ["-l=missing/"], pay),
        ("logo directory without separator", ["-l=" + LOGO[:-1]], pay),
        ("output directory missing", ["-l=" + LOGO, "-f=missing/out.png"], pay),
        ("plain picture, output directory missing", ["--no_logo", "-f=missing/out.png"], pay),
        ("plain picture far too large", ["--no_logo", "-s=100000", "-f=" + OUTPUT], pay),
        ("plain SVG far too large", ["--no_logo", "-s=100000", "-f=out.svg"], pay),
        ("PDF in a missing directory", ["-l=" + LOGO, "-f=missing/out.pdf"], pay),
        ("plain picture of negative size", ["--no_logo", "-s=-5", "-f=" + OUTPUT], pay),
        ("text too short", ["-i=base32hex", "-l=" + LOGO], b"ABC"),
        ("character outside the alphabet", ["-i=base32hex", "-l=" + LOGO], bad_character),
        ("line end after the text", ["-i=base32hex", "-l=" + LOGO], text + b"\n"),
        ("family without pictures", ["-i=base32hex", "-l=" + LOGO],
         base64.b32hexencode(bytes([0x30, 0x00, 0x12, 0x34, 0x56])).rstrip(b"=")),
        ("text too long for a QR code", ["-i=base32hex", "--no_logo", "-f=" + OUTPUT], b"0" * 7090),
        ("empty text, plain", ["-i=base32hex", "--no_logo", "-f=" + OUTPUT], b""),
    ]
    for name, args, stdin in qr_failures:
        add(name, "qr", args, stdin)
    add("logo that is too short to be a PNG", "qr", ["-l=fake/"], pay, {"fake/pay-bottom-dark.png": b"text"})
    add("logo that is not a PNG", "qr", ["-l=fake/"], pay, {"fake/pay-bottom-dark.png": b"GIF89a, not a PNG"})

    decode_cases = [
        ("decode empty", b""),
        ("decode too short", b"00"),
        ("decode bad character", b"0000abcd"),
        ("decode header alone", b"0000"),
        ("decode wrong checksum", text[:-3] + (b"000" if text[-3:] != b"000" else b"111")),
        ("decode unknown family", container([0x30, 0x00], b"X\t1")),
        ("decode version 1", container([0x01, 0x00], b"FV-1\t0")),
        ("decode invalid document", container([0x00, 0x00], b"FV-1\t0")),
        ("decode note with markup",
         container([0x00, 0x00], b"A1\t1\t1\t12.5\tEUR\t\t\t\t\t\torders > 100 & <b>, ]]> end\t1\tCZ6308000000002847561937\t"
                   b"GIBACZPX\t0\t0")),
        ("decode zero byte in a note",
         container([0x00, 0x00], b"A1\t1\t1\t12.5\tEUR\t\t\t\t\t\tbefore\x00after\t1\tCZ6308000000002847561937\t"
                   b"GIBACZPX\t0\t0")),
        ("decode ten decimal places",
         container([0x20, 0x00], b"INV-1\t1\t1\t\t\t\t\tItem\t\t\t\t3\t7.3566666666\t0.21\t0.2")),
    ]
    for name, stdin in decode_cases:
        add(name, "decode", [], stdin)

    # tolvexdecode on files: pictures made by tolvexqr first, in the same directory.
    logo_picture = ("qr", ["-l=" + LOGO, "-f=pay.png"], pay)
    plain_picture = ("qr", ["--no_logo", "-f=plain.png"], example("invoice.xml"))
    url_picture = ("qr", ["-i=base32hex", "--no_logo", "-s=200", "-f=url.png"], b"HTTPS://EXAMPLE.COM/PAY")
    file_cases = [
        ("decode usage", ["--help"], {}, []),
        ("decode unknown option", ["-x"], {}, []),
        ("decode a picture with logo", ["pay.png"], {}, [logo_picture]),
        ("decode pictures, every code's text", ["-a", "--text", "plain.png", "pay.png"], {},
         [logo_picture, plain_picture]),
        ("decode a URL code", ["url.png"], {}, [url_picture]),
        ("decode a missing file", ["missing.png"], {}, []),
        ("decode a text file", ["note.txt"], {"note.txt": b"not a picture"}, []),
    ]
    for name, args, files, made in file_cases:
        found.append((name, "decode", args, b"", files, made))
    return found


def run(case, tools):
    name, tool, args, stdin, files, made = case
    with tempfile.TemporaryDirectory() as work:
        for path, content in files.items():
            os.makedirs(os.path.join(work, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(work, path), "wb") as f:
                f.write(content)
        for maker, maker_args, maker_stdin in made:
            subprocess.run([tools[maker]] + maker_args, input=maker_stdin, cwd=work, capture_output=True,
                           check=True, timeout=120)
        given = set(os.listdir(work))
        done = subprocess.run([tools[tool]] + args, input=stdin, cwd=work, capture_output=True, timeout=120)
        result = {
            "status": done.returncode,
            "stdout": done.stdout.decode("utf-8", "backslashreplace"),
            "stderr": done.stderr.decode("utf-8", "backslashreplace"),
        }
        written = sorted(set(os.listdir(work)) - given)
        result["files"] = written
        if written:
            with open(os.path.join(work, written[0]), "rb") as f:
                data = f.read()
            result["sha256"] = hashlib.sha256(data).hexdigest()
            if data[:8] == b"\x89PNG\r\n\x1a\n":
                decoded = subprocess.run([tools["pixels"], os.path.join(work, written[0])], capture_output=True,
                                         check=True).stdout
                size, pixels = decoded.split(b"\n", 1)
                result["pixels"] = "%s %s" % (size.decode(), hashlib.sha256(pixels).hexdigest())
        return name, result


def outcomes(tools):
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        return dict(pool.map(lambda case: run(case, tools), cases()))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=["record", "check"])
    parser.add_argument("--qr", required=True)
    parser.add_argument("--decode", required=True)
    parser.add_argument("--pixels", required=True, help="png_pixels, which decodes a PNG into RGBA rows")
    options = parser.parse_args()
    tools = {name: os.path.abspath(path) for name, path in
             (("qr", options.qr), ("decode", options.decode), ("pixels", options.pixels))}
    got = outcomes(tools)
    if options.mode == "record":
        with open(EXPECTED, "w") as f:
            f.write("{\n" + ",\n".join("%s: %s" % (json.dumps(k), json.dumps(got[k], sort_keys=True)) for k in got)
                    + "\n}\n")
        print("golden: recorded %d cases in %s" % (len(got), EXPECTED))
        return 0
    with open(EXPECTED) as f:
        expected = json.load(f)
    differences = 0
    for name in sorted(set(expected) | set(got)):
        if expected.get(name) != got.get(name):
            differences += 1
            print("golden: %s\n  expected %s\n  got      %s" % (name, expected.get(name), got.get(name)))
    print("golden: %d cases, %d differ" % (len(got), differences))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
