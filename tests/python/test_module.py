"""The module's own calls: documents as dicts, the document handle, scanning, misuse, settings per
thread, calls from several threads, and finding the library."""

import concurrent.futures
import datetime
import json
import os
import pickle
import subprocess
import sys

from decimal import Decimal
from pathlib import Path

import pytest

import tolvex
from conftest import LOGO, example, example_names, needs

ROOT = Path(__file__).resolve().parents[2]


@pytest.fixture(scope="module")
def texts():
    return {name: tolvex.encode_xml(example(name)) for name in example_names()}


def test_decode_gives_the_json_form_with_decimals_and_dates(texts):
    pay = tolvex.decode(texts["pay-single.xml"])["Pay"]
    payment = pay["Payments"][0]
    assert (pay["InvoiceID"], payment["Amount"], payment["CurrencyCode"]) == ("FV-2026-0142", Decimal("12480"), "CZK")
    assert isinstance(payment["Amount"], Decimal)
    assert payment["PaymentDueDate"] == datetime.date(2026, 3, 16)
    assert payment["BankAccounts"][0]["IBAN"].startswith("CZ")
    assert payment["PaymentNote"] == "Faktura FV-2026-0142, kancelářské potřeby"

    invoice = tolvex.decode(texts["invoice.xml"])["Invoice"]
    assert invoice["type"] == "Invoice"
    assert invoice["MonetarySummary"]["PayableAmount"] == Decimal("4376")
    assert [t["ClassifiedTaxCategory"] for t in invoice["TaxCategorySummaries"]] == [Decimal("0.21"), Decimal("0.12")]
    assert invoice["SupplierParty"]["PostalAddress"]["CityName"] == "Hradec Králové"
    assert invoice["IssueDate"] == datetime.date(2026, 2, 3)

    items = tolvex.decode(texts["invoice-items.xml"])["InvoiceItems"]
    assert [line["InvoicedQuantity"] for line in items["InvoiceLines"]] == [Decimal(40), Decimal(12), Decimal(3)]
    assert "ItemName" not in items["InvoiceLines"][1]
    # A record with one field stays a record.
    assert isinstance(items["InvoiceLines"][0]["OrderReference"], dict)


def test_encode_takes_back_what_decode_gives(texts):
    for name, text in texts.items():
        document = tolvex.decode(text)
        assert tolvex.encode(document) == text, name
        assert tolvex.encode(tolvex.decode_xml(text)) == text, name
    # Numbers as the caller has them: Decimal, int, float, and dates as texts.
    document = tolvex.decode(texts["pay-single.xml"])
    payment = document["Pay"]["Payments"][0]
    for amount in (Decimal("12480.00"), 12480, 12480.0):
        payment["Amount"] = amount
        assert tolvex.encode(document) == texts["pay-single.xml"]
    payment["PaymentDueDate"] = "2026-03-16"
    assert tolvex.encode(document) == texts["pay-single.xml"]
    payment["Amount"] = Decimal("12480.5")
    assert tolvex.decode(tolvex.encode(document))["Pay"]["Payments"][0]["Amount"] == Decimal("12480.5")


@pytest.mark.parametrize(
    "document, error",
    [
        ({"Pay": {"Payments": [{"Amount": Decimal("NaN")}]}}, ValueError),
        ({"Pay": {"Payments": [{"Amount": object()}]}}, TypeError),
        (12, TypeError),
    ],
)
def test_encode_refuses_what_no_document_holds(document, error):
    with pytest.raises(error):
        tolvex.encode(document)


def test_encode_reports_the_library_s_line_for_a_bad_document():
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.encode({"Pay": {"Payments": [{"Amount": "12"}]}})
    assert error.value.code is tolvex.ErrorCode.XML
    assert "JSON" in error.value.line
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.encode({"Payment": {}})
    assert error.value.code == 9


def test_decimal_and_date_members_are_those_of_the_schemas():
    decimals, dates = set(), set()
    for schema in (ROOT / "docs" / "schema").glob("*.schema.json"):
        if schema.name == "check-report.schema.json":
            continue  # the check's report, no family's document
        for definition in json.loads(schema.read_text())["$defs"].values():
            for name, member in definition.get("properties", {}).items():
                if member.get("type") == "number":
                    decimals.add(name)
                if member.get("$ref", "").endswith("/date"):
                    dates.add(name)
    assert decimals == tolvex._DECIMAL_MEMBERS
    assert dates == tolvex._DATE_MEMBERS


def test_version_and_error_codes():
    assert tolvex.__version__ == tolvex.version()
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.decode("00")
    assert isinstance(error.value.code, tolvex.ErrorCode)
    assert tolvex.TolvexError(99, "line").code == 99


def test_summary_of_a_text(texts):
    text = tolvex.summary(texts["pay-single.xml"])
    assert text.startswith("Payment order\n")
    assert "12,480.00 CZK" in text


def test_decode_round_trips(texts):
    for name, text in texts.items():
        xml = tolvex.decode(text, as_xml=True)
        assert xml == tolvex.decode_xml(text), name
        assert tolvex.encode_xml(xml) == text, name
        assert tolvex.encode_xml(xml.encode("utf-8")) == text, name


def test_scan_reads_back_every_format_and_placement(texts):
    text = texts["invoice.xml"]
    pictures = [tolvex.render_png(text, LOGO, rotation=r, variation=v) for r, v in
                (("bottom", "dark"), ("right", "gray"), ("left", "light"))]
    pictures.append(tolvex.render(text, format="pdf", logo=LOGO, frame=False))
    for picture in pictures:
        (code,) = tolvex.scan(picture)
        assert (code.text, code.page, code.tolvex, code.status) == (text, 1, True, 0)
        assert code.xml == tolvex.decode_xml(text) and code.error_line is None


def test_failures_carry_code_and_line(texts):
    cases = [
        (lambda: tolvex.encode_xml("<Pay><InvoiceID>1</Pay>"), tolvex.ErrorCode.XML, "ERROR_XML: "),
        (lambda: tolvex.decode("00"), tolvex.ErrorCode.UNKNOWN_DOCUMENT, "ERROR_UNKNOWN_DOCUMENT: Header not found."),
        (lambda: tolvex.decode(texts["pay-single.xml"][:-2] + "WW"), tolvex.ErrorCode.BASE32HEX, "ERROR_BASE32HEX: "),
        (lambda: tolvex.render_png(texts["pay-single.xml"], "/nonexistent"), tolvex.ErrorCode.MISSING_LOGO,
         "ERROR_MISSING_LOGO: "),
        (lambda: tolvex.render("0" * 7090), tolvex.ErrorCode.QR, "ERROR_QR: "),
        (lambda: tolvex.render("A", size=9000), tolvex.ErrorCode.ILLEGAL_ARGUMENT, "ERROR_ILLEGAL_ARGUMENT: "),
        (lambda: tolvex.write_file("A", "/nonexistent/out.png"), tolvex.ErrorCode.IO, "ERROR_IO: "),
    ]
    for call, code, line in cases:
        with pytest.raises(tolvex.TolvexError) as error:
            call()
        assert error.value.code == code and error.value.line.startswith(line), error.value.line
        assert str(error.value) == error.value.line


@needs("tolvex_last_error_message")
def test_failures_carry_message_and_detail(tmp_path):
    missing = str(tmp_path / "missing.png")
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.scan_file(missing)
    assert (error.value.message, error.value.detail) == ("Cannot read input file. ", missing)
    assert error.value.line == "ERROR_IO: Cannot read input file.  " + missing
    again = pickle.loads(pickle.dumps(error.value))
    assert (again.code, again.line, again.message, again.detail) == (tolvex.ErrorCode.IO, error.value.line,
                                                                     error.value.message, missing)


@pytest.mark.parametrize("call, error", [
    (lambda: tolvex.encode_xml(None), TypeError),
    (lambda: tolvex.decode(12), TypeError),
    (lambda: tolvex.render(b"AB\0CD"), ValueError),
    (lambda: tolvex.render("A", rotation="middle"), ValueError),
    (lambda: tolvex.render("A", variation=3), TypeError),
    (lambda: tolvex.render("A", format="gif"), ValueError),
    (lambda: tolvex.render("A", size=2**31), ValueError),
    (lambda: tolvex.render("A", size=1.5), TypeError),
    (lambda: tolvex.render("A", logo=LOGO, size=100), ValueError),
    (lambda: tolvex.render("A", frame=None), TypeError),
    (lambda: tolvex.write_file("A", None), TypeError),
    (lambda: tolvex.scan("a picture"), TypeError),
    (lambda: tolvex.scan_file(3), TypeError),
    (lambda: tolvex.set_sequence_limit(-1), ValueError),
    (lambda: tolvex.set_background(1.5, 0, 0), ValueError),
    (lambda: tolvex.set_logo_cache_budget("big"), TypeError),
])
def test_misuse_raises_python_errors(call, error):
    with pytest.raises(error):
        call()


def in_thread(call):
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        return pool.submit(call).result()


def test_settings_belong_to_the_thread(texts):
    xml = example("invoice.xml")
    plain = tolvex.render_png(texts["invoice.xml"], size=200)

    def limited():
        tolvex.set_sequence_limit(100)
        with pytest.raises(tolvex.TolvexError) as error:
            tolvex.encode_xml(xml)
        assert error.value.code == tolvex.ErrorCode.SEQUENCE_LIMIT_EXCEEDED
        return tolvex.sequence_limit()

    assert in_thread(limited) == 100
    assert tolvex.sequence_limit() == 550
    assert tolvex.encode_xml(xml) == texts["invoice.xml"]

    def tinted():
        tolvex.set_background(1.0, 0.9, 0.8)
        return tolvex.render_png(texts["invoice.xml"], size=200)

    assert in_thread(tinted) != plain
    assert tolvex.render_png(texts["invoice.xml"], size=200) == plain

    def cached():
        tolvex.set_logo_cache_budget(10_000_000)
        pictures = [tolvex.render_png(texts["pay-single.xml"], LOGO) for _ in range(2)]
        tolvex.free_logo_cache()
        return pictures

    assert in_thread(cached) == [tolvex.render_png(texts["pay-single.xml"], LOGO)] * 2


def test_threads_give_the_single_threaded_results(texts):
    def work(name):
        text = tolvex.encode_xml(example(name))
        return (text, tolvex.render_png(text, LOGO, rotation="top"), tolvex.render(text, format="pdf", size=300),
                tolvex.decode_xml(text), [c.text for c in tolvex.scan(tolvex.render_png(text))])

    names = example_names() * 3
    alone = {name: work(name) for name in example_names()}
    with concurrent.futures.ThreadPoolExecutor(6) as pool:
        together = list(pool.map(work, names))
    assert together == [alone[name] for name in names]


def import_with(environment):
    environment = dict(os.environ, PYTHONPATH=os.path.dirname(os.path.dirname(tolvex.__file__)), **environment)
    return subprocess.run([sys.executable, "-c", "import tolvex; print(tolvex.encode_xml is not None)"],
                          env=environment, capture_output=True, text=True)


def test_the_library_is_found_or_every_attempt_is_named(tmp_path):
    library = tolvex._lib._name
    assert import_with({"TOLVEX_LIBRARY": library}).stdout == "True\n"
    assert import_with({"TOLVEX_LIBRARY": os.path.dirname(library), "LD_LIBRARY_PATH": ""}).stdout == "True\n"
    assert import_with({"TOLVEX_LIBRARY": "", "LD_LIBRARY_PATH": os.path.dirname(library)}).stdout == "True\n"

    not_a_library = tmp_path / "libtolvex.so.1"
    not_a_library.write_text("not a shared library\n" * 100)
    for given, reason in ((str(tmp_path / "missing"), "missing"), (str(tmp_path), "invalid ELF header"),
                          ("libm.so.6", "lacks tolvex_")):
        done = import_with({"TOLVEX_LIBRARY": given, "LD_LIBRARY_PATH": ""})
        if done.returncode == 0:
            pytest.skip("the system's loader path has a tolvex library")
        assert "LibraryNotFoundError: cannot load the tolvex library; tried:" in done.stderr
        assert "TOLVEX_LIBRARY=%s:" % given in done.stderr and reason in done.stderr
        assert "libtolvex.so.1 through the loader path (LD_LIBRARY_PATH=)" in done.stderr
    done = import_with({"TOLVEX_LIBRARY": "", "LD_LIBRARY_PATH": ""})
    assert "TOLVEX_LIBRARY: not set" in done.stderr and issubclass(tolvex.LibraryNotFoundError, ImportError)


@needs("tolvex_version")
def test_version():
    assert tolvex.version() == "1.0.10"


@needs("tolvex_read_header")
def test_read_header(texts):
    families = {name: tolvex.read_header(text) for name, text in texts.items()}
    assert families["pay-single.xml"].family == tolvex.Family.PAY
    assert families["invoice-items.xml"].family == tolvex.Family.INVOICE_ITEMS
    invoices = [header for name, header in families.items() if name.startswith("invoice") and "items" not in name]
    assert {header.family for header in invoices} == {tolvex.Family.INVOICE}
    assert len({header.document_type for header in invoices}) == len(invoices)
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.read_header("00")
    assert error.value.code == tolvex.ErrorCode.UNKNOWN_DOCUMENT


@needs("tolvex_document_free")
def test_document_fields_and_round_trip(texts):
    with tolvex.Document.decode(texts["invoice.xml"]) as document:
        assert document.value("MonetarySummary/PayableAmount") == "4376"
        assert document.header == tolvex.read_header(texts["invoice.xml"])
        summaries = document.field("TaxCategorySummaries")
        assert (summaries.kind, summaries.present, summaries.count) == (tolvex.FieldKind.LIST, True, 2)
        rate = document.field("TaxCategorySummaries/1/ClassifiedTaxCategory")
        assert (rate.kind, rate.text, rate.number) == (tolvex.FieldKind.DECIMAL, "0.12", 0.12)
        assert document.encode() == texts["invoice.xml"]
        assert document.to_xml() == tolvex.decode_xml(texts["invoice.xml"])
        assert document.to_dict() == tolvex.decode(texts["invoice.xml"])
        absent = document.field("InvoiceDescription")
        assert (absent.present, absent.text) == (False, None) and document.value("InvoiceDescription") is None
        with pytest.raises(tolvex.TolvexError) as error:
            document.field("NoSuchElement")
        assert error.value.code == tolvex.ErrorCode.ILLEGAL_ARGUMENT
    with pytest.raises(ValueError):
        document.value("InvoiceID")
    document.close()

    text, kept = tolvex.Document.encode_xml(example("pay-single.xml"))
    assert text == texts["pay-single.xml"] and kept.value("Payments/0/Amount") == "12480"
    del kept

    unchecked = tolvex.Document.from_xml(example("pay-single.xml").replace(b">CZK<", b">CZ1<"))
    assert unchecked.value("Payments/0/CurrencyCode") == "CZ1"
    with pytest.raises(tolvex.TolvexError) as error:
        unchecked.encode()
    assert error.value.code == tolvex.ErrorCode.INVALID_VALUE
    with pytest.raises(tolvex.TolvexError) as error:
        tolvex.Document.from_xml("<Payment/>")
    # A root that names no family gives no document, reported as encoding reports it.
    assert error.value.code == tolvex.ErrorCode.NULL_POINTER
