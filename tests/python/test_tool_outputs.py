"""Every recorded run of the tools that the module can do as well, done through the module: the
same picture bytes, the same decoded XML, the same error code and error line."""

import hashlib
import os
import re
import subprocess

import pytest

import tolvex
from conftest import EXPECTED, golden

# Runs that are the tools' own: their command line, or the tool's file name rules.
TOOL_ONLY = {
    # The module takes the logo directory as a path and adds the separator itself.
    "logo directory without separator",
}


def signed(status):
    return status - 256 if status > 127 else status


def module_run(args, stdin, work):
    """What tolvexqr does with these arguments, through the module: the written file's name, or
    None for arguments only the tool's command line knows."""
    if not args:
        return None  # the usage text
    options = {"-f": "qrImage.png", "-i": "xml", "-l": "./logo/", "-r": "bottom", "-v": "dark", "-s": "0", "-t": None}
    flags = set()
    for argument in args:
        key, equals, value = argument.partition("=")
        key = key.lower()
        if key in ("--no_frame", "--no_logo"):
            flags.add(key)
        elif key in options and equals:
            options[key] = value if key in ("-f", "-l") else value.lower()
        else:
            return None
    if options["-i"] not in ("xml", "base32hex"):
        return None
    text = tolvex.encode_xml(stdin) if options["-i"] == "xml" else stdin
    logo = None if "--no_logo" in flags else os.path.join(work, options["-l"])
    try:
        tolvex.write_file(text, os.path.join(work, options["-f"]), format=options["-t"], size=int(options["-s"]), logo=logo,
                          rotation=options["-r"], variation=options["-v"], frame="--no_frame" not in flags)
    except ValueError:
        return None
    return options["-f"]


def qr_cases():
    for name, tool, args, stdin, files, made in golden.cases():
        if tool == "qr" and not made:
            yield pytest.param(args, stdin, files, EXPECTED[name], id=name)


def svg_without_ids(data):
    # cairo numbers the elements of SVG pictures over the whole process.
    return re.sub(rb'(surface|image|source|pattern|clip|mask|glyph)[0-9]+', rb"\1", data)


@pytest.mark.parametrize("args, stdin, files, expected", qr_cases())
def test_pictures_and_failures_as_tolvexqr(args, stdin, files, expected, tmp_path, request):
    if request.node.callspec.id in TOOL_ONLY:
        pytest.skip("the tool's own rule")
    for path, content in files.items():
        (tmp_path / path).parent.mkdir(parents=True, exist_ok=True)
        (tmp_path / path).write_bytes(content)
    given = set(os.listdir(tmp_path))
    try:
        written = module_run(args, stdin, str(tmp_path))
    except tolvex.TolvexError as error:
        assert (error.code, error.line + "\n") == (signed(expected["status"]), expected["stderr"])
        assert sorted(set(os.listdir(tmp_path)) - given) == []
        return
    if written is None:
        pytest.skip("an option only the tool's command line knows")
    assert expected["status"] == 0, expected["stderr"]
    assert sorted(set(os.listdir(tmp_path)) - given) == expected["files"]
    data = (tmp_path / written).read_bytes()
    if data.startswith(b"<?xml"):
        tool = os.environ.get("TOLVEX_QR")
        if not tool:
            pytest.skip("TOLVEX_QR names no tolvexqr to compare SVG pictures with")
        subprocess.run([tool] + args, input=stdin, cwd=tmp_path, check=True, capture_output=True)
        assert svg_without_ids(data) == svg_without_ids((tmp_path / written).read_bytes())
    else:
        assert hashlib.sha256(data).hexdigest() == expected["sha256"]


def decode_cases():
    for name, tool, args, stdin, files, made in golden.cases():
        if tool == "decode" and not args:
            yield pytest.param(stdin, EXPECTED[name], id=name)


@pytest.mark.parametrize("stdin, expected", decode_cases())
def test_decoding_as_tolvexdecode(stdin, expected):
    # tolvexdecode ignores one final line end of its input.
    text = stdin[:-1] if stdin.endswith(b"\n") else stdin
    try:
        xml = tolvex.decode(text, as_xml=True)
    except tolvex.TolvexError as error:
        assert (error.code, error.line + "\n") == (signed(expected["status"]), expected["stderr"])
        return
    assert (0, xml + "\n") == (expected["status"], expected["stdout"])


def test_memory_pictures_are_the_file_bytes(tmp_path):
    text = tolvex.encode_xml(open(os.path.join(golden.SOURCE, "examples", "invoice-items.xml"), "rb").read())
    for options in ({"logo": golden.LOGO, "rotation": "left", "variation": "light", "frame": False}, {"size": 250}):
        for fmt in ("png", "pdf"):
            path = tmp_path / ("out." + fmt)
            tolvex.write_file(text, path, **options)
            assert tolvex.render(text, format=fmt, **options) == path.read_bytes()


def test_reading_pictures_as_tolvexdecode(tmp_path):
    pay = golden.example("pay-single.xml")
    tolvex.write_file(tolvex.encode_xml(pay), tmp_path / "pay.png", logo=golden.LOGO)
    (code,) = tolvex.scan_file(tmp_path / "pay.png")
    assert code.xml + "\n" == EXPECTED["decode a picture with logo"]["stdout"]

    plain = tolvex.render_png(tolvex.encode_xml(golden.example("invoice.xml")))
    texts = [c.text for c in tolvex.scan(plain)] + [code.text]
    assert "\n".join(texts) + "\n" == EXPECTED["decode pictures, every code's text"]["stdout"]

    (url,) = tolvex.scan(tolvex.render_png("HTTPS://EXAMPLE.COM/PAY", size=200))
    assert (url.tolvex, url.status, url.xml) == (False, tolvex.ErrorCode.BAD_FORMAT, None)
    assert url.error_line.startswith("ERROR_BAD_FORMAT: Not a tolvex code.  ")
    assert "HTTPS://EXAMPLE.COM/PAY" in url.error_line

    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.scan(b"not a picture")
    # The library names every format it reads; tolvexdecode keeps its own line for this case.
    assert EXPECTED["decode a text file"]["stderr"].startswith("ERROR_ILLEGAL_ARGUMENT: Unknown file format, ")
    assert error.value.line == (
        "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG, PDF, TIFF, WebP, HEIC or BMP.  ")
    assert error.value.code == tolvex.ErrorCode.ILLEGAL_ARGUMENT
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.scan_file(tmp_path / "missing.png")
    assert error.value.code == tolvex.ErrorCode.IO
