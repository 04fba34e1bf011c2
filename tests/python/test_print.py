"""Pictures for print through the module: the keywords of render and write_file (module size,
margin, dpi, level and its boost, physical sizes, paper and place) and stamp_pdf onto an existing
PDF, each checked on the file it gives."""

import re
import struct
import subprocess

import pytest

import tolvex
from conftest import LOGO, example, needs

pytestmark = needs("tolvex_print_write_memory")


@pytest.fixture(scope="module")
def text():
    return tolvex.encode_xml(example("invoice.xml"))


def png_size_and_resolution(png):
    width, height = struct.unpack(">II", png[16:24])
    at = png.find(b"pHYs")
    return width, height, (struct.unpack(">IIB", png[at + 4:at + 13]) if at > 0 else None)


def pdfinfo(path, field):
    out = subprocess.run(["pdfinfo", str(path)], capture_output=True, text=True, check=True).stdout
    return re.search(r"^%s: +(.*)$" % field, out, re.M).group(1)


def test_module_size_margin_and_dpi_make_whole_modules_and_the_resolution(text):
    width = png_size_and_resolution(tolvex.render(text, module_size=1))[0] - 2 * 4
    assert (width - 17) % 4 == 0
    for module, margin, dpi in ((3, 4, 300), (6, 9, 600)):
        side, _, resolution = png_size_and_resolution(tolvex.render(text, module_size=module, margin=margin, dpi=dpi))
        assert side == module * (width + 2 * margin)
        assert resolution == (round(dpi / 0.0254), round(dpi / 0.0254), 1)
    (code,) = tolvex.scan(tolvex.render(text, module_size=4))
    assert code.text == text


def test_level_and_boost_keep_or_grow_the_code_as_asked(text):
    plain = png_size_and_resolution(tolvex.render(text, module_size=1))[0]
    boosted = png_size_and_resolution(tolvex.render(text, module_size=1, boost_level=True))[0]
    high = png_size_and_resolution(tolvex.render(text, module_size=1, level="H"))[0]
    assert boosted == plain < high
    for level in "LMQH":
        (code,) = tolvex.scan(tolvex.render(text, module_size=3, level=level))
        assert code.text == text


def test_physical_sizes_and_paper_give_those_pages(text, tmp_path):
    path = tmp_path / "code.pdf"
    tolvex.write_file(text, path, size="40mm")
    assert pdfinfo(path, "Page size") == "113.386 x 113.386 pts"
    assert pdfinfo(path, "Title") == "Invoice 2026010087"
    tolvex.write_file(text, path, size="1.5in", paper="a5", at=(20, "1in"))
    assert pdfinfo(path, "Page size") == "419.528 x 595.276 pts"
    svg = tolvex.render(text, format="svg", size="40mm", logo=LOGO, margin=6).decode()
    assert 'width="40mm"' in svg and "<image" not in svg and "<title>Invoice 2026010087</title>" in svg
    assert tolvex.render(text, format="svg", size="40mm") == tolvex.render(text, format="svg", size="40mm")


@pytest.mark.parametrize("keywords, error", [
    ({"module_size": 0}, ValueError),
    ({"module_size": 6, "size": 400}, tolvex.TolvexError),
    ({"module_size": 6, "logo": LOGO}, tolvex.TolvexError),
    ({"margin": 3}, ValueError),
    ({"dpi": 10001}, ValueError),
    ({"level": "X"}, ValueError),
    ({"boost_level": 1}, TypeError),
    ({"size": "40cm"}, ValueError),
    ({"size": "-4mm"}, ValueError),
    ({"paper": "a3"}, ValueError),
    ({"paper": "a4", "position": "centre", "at": (1, 1)}, ValueError),
    ({"paper": "a4", "format": "png"}, tolvex.TolvexError),
    ({"paper": "a6", "at": (100, 140), "size": "40mm", "format": "pdf"}, tolvex.TolvexError),
    ({"at": "10,10", "paper": "a4", "format": "pdf"}, TypeError),
])
def test_print_keywords_outside_their_ranges_are_refused(text, keywords, error):
    with pytest.raises(error):
        tolvex.render(text, **keywords)


@needs("tolvex_stamp_pdf")
def test_stamp_pdf_puts_the_code_on_the_chosen_page(text, tmp_path):
    invoice = tmp_path / "invoice.pdf"
    tolvex.write_file(text, invoice, size="60mm", paper="a4", position="top")
    before = subprocess.run(["pdftotext", str(invoice), "-"], capture_output=True, check=True).stdout
    stamped = tmp_path / "stamped.pdf"
    payment = tolvex.encode_xml(example("pay-single.xml"))
    tolvex.stamp_pdf(payment, invoice, stamped, size="40mm", position="bottom-left", page_margin="15mm")
    assert subprocess.run(["qpdf", "--check", str(stamped)], capture_output=True).returncode == 0
    assert subprocess.run(["pdftotext", str(stamped), "-"], capture_output=True, check=True).stdout == before
    assert sorted(code.text for code in tolvex.scan_file(stamped)) == sorted([text, payment])
    with pytest.raises(tolvex.TolvexError) as refused:
        tolvex.stamp_pdf(text, invoice, stamped, page=2)
    assert refused.value.line.startswith("ERROR_ILLEGAL_ARGUMENT")
    (tmp_path / "broken.pdf").write_bytes(b"%PDF-1.7\nnothing")
    with pytest.raises(tolvex.TolvexError) as unreadable:
        tolvex.stamp_pdf(text, tmp_path / "broken.pdf", stamped)
    assert unreadable.value.line.startswith("ERROR_IO")
