"""Payment orders and invoices as QR codes, over the tolvex shared library.

    import tolvex
    text = tolvex.encode_xml(open("invoice.xml", "rb").read())
    png = tolvex.render_png(text, logo="/usr/share/tolvex/logo")
    document = tolvex.decode(tolvex.scan(png)[0].text)
    print(document["Invoice"]["MonetarySummary"]["PayableAmount"])   # Decimal("4376")
    text = tolvex.encode(document)                                    # the dict, in the JSON form

Every failure of the library raises TolvexError with its code and the error line the command-line
tool prints. Wrong Python types raise TypeError, values outside what a call takes ValueError, as
usual. The settings (background, logo cache, sequence limit) belong to the calling thread; every
call may be made from several threads at once.
"""

from __future__ import annotations

import ctypes
import datetime
import decimal
import dataclasses
import enum
import json
import os
import re
import xml.etree.ElementTree as ElementTree
from ctypes import byref, c_int32, c_size_t, c_void_p
from typing import Any, NamedTuple, Optional, Union

from . import _library
from ._library import LibraryNotFoundError

__all__ = [
    "__version__",
    "Document",
    "Finding",
    "check",
    "encode",
    "summary",
    "ErrorCode",
    "Family",
    "Field",
    "FieldKind",
    "Header",
    "LibraryNotFoundError",
    "ScannedCode",
    "TolvexError",
    "decode",
    "decode_xml",
    "encode_xml",
    "free_logo_cache",
    "read_header",
    "render",
    "render_png",
    "scan",
    "scan_file",
    "sequence_limit",
    "set_background",
    "set_logo_cache_budget",
    "set_sequence_limit",
    "version",
    "write_file",
    "xml_to_dict",
]

_lib = _library.load()

Path = Union[str, "os.PathLike[str]"]


class ErrorCode(enum.IntEnum):
    """The codes the library returns, by the names its error lines begin with."""

    IO = -3
    NULL_POINTER = -2
    ILLEGAL_ARGUMENT = -1
    BASE32HEX = 1
    CHECKSUM = 2
    COMPRESSION = 3
    INVALID_VALUE = 4
    BAD_FORMAT = 5
    MAX_PRIORITY_REACHED = 6
    SEQUENCE_LIMIT_EXCEEDED = 7
    UNKNOWN_DOCUMENT = 8
    XML = 9
    MISSING_LOGO = 10
    QR = 11


class TolvexError(Exception):
    """A failure of the library.

    code is the library's error code (an int; ErrorCode names it), line the error line as the
    command-line tool prints it ("ERROR_XML: ..." without a line end), message and detail its two
    parts (None with a library too old to give them)."""

    def __init__(self, code: int, line: str, message: Optional[str] = None, detail: Optional[str] = None):
        super().__init__(line)
        self.code: Union[ErrorCode, int] = ErrorCode(code) if code in ErrorCode._value2member_map_ else code
        self.line = line
        self.message = message
        self.detail = detail

    def __reduce__(self) -> tuple[Any, ...]:
        return (type(self), (self.code, self.line, self.message, self.detail))


class Family(enum.IntEnum):
    PAY = 0
    INVOICE = 1
    INVOICE_ITEMS = 2


class Header(NamedTuple):
    """The header of an encoded text or document: its family (Family for the three known, else the
    number carried), version and the family's document type."""

    family: int
    version: int
    document_type: int


class FieldKind(enum.IntEnum):
    TEXT = 0
    INTEGER = 1
    DECIMAL = 2
    ENUMERATION = 3
    CODE = 4
    FLAGS = 5
    RECORD = 6
    LIST = 7


class Field(NamedTuple):
    """What a path names in a document. text is the value as the document's XML writes it (None
    for an absent field, a record or a list); number its value for integer, decimal, enumeration
    (position) and flag (bits) fields, else None; count the items of a present list."""

    kind: FieldKind
    present: bool
    text: Optional[str]
    number: Optional[float]
    count: int


class ScannedCode(NamedTuple):
    """One QR code found in a picture or PDF document. status is 0 when the text decoded into a
    document (xml holds it), else the code of the failure (error_line says it)."""

    text: str
    page: int
    tolvex: bool
    status: int
    xml: Optional[str]
    error_line: Optional[str]


_ROTATIONS = {"bottom": 0, "top": 1, "left": 2, "right": 3}
_VARIATIONS = {"dark": 0, "medium": 1, "light": 2, "gray": 3}
_FORMATS = {"png": 0, "svg": 1, "pdf": 2}
_INT32_MAX = 2**31 - 1
_LEVELS = {"l": 0, "m": 1, "q": 2, "h": 3}
_PAPERS = {"a4": 0, "a5": 1, "a6": 2, "letter": 3}
_POSITIONS = {name: index for index, name in enumerate(
    ("top-left", "top", "top-right", "left", "centre", "right", "bottom-left", "bottom", "bottom-right"))}
_MILLIMETRES = {"mm": 1.0, "in": 25.4, "pt": 25.4 / 72}


def _has(name: str) -> bool:
    return hasattr(_lib, name)


def _taken_text(pointer: Optional[int], length: Optional[int] = None) -> Optional[str]:
    """The text at a pointer the library handed out, released here."""
    if not pointer:
        return None
    try:
        data = ctypes.string_at(pointer, length) if length is not None else ctypes.string_at(pointer)
    finally:
        _lib.tolvex_free(pointer)
    return data.decode("utf-8", "surrogateescape")


def _error(code: int) -> TolvexError:
    """The calling thread's last failure, which a call just returned as code."""
    line = _taken_text(_lib.tolvex_error_line()) or ""
    message = detail = None
    if _has("tolvex_last_error_message"):
        message = _taken_text(_lib.tolvex_last_error_message())
        detail = _taken_text(_lib.tolvex_last_error_detail())
    return TolvexError(code, line, message, detail)


def _check(code: int) -> None:
    if code != 0:
        raise _error(code)


def _text_out(function: Any, *arguments: Any) -> str:
    """Calls an entry that hands out a text and its length as its last two arguments."""
    text = c_void_p()
    length = c_size_t()
    _check(function(*arguments, byref(text), byref(length)))
    return _taken_text(text.value, length.value) or ""


def _bytes_in(value: Union[str, bytes], name: str) -> bytes:
    if isinstance(value, str):
        return value.encode("utf-8")
    if isinstance(value, (bytes, bytearray, memoryview)):
        return bytes(value)
    raise TypeError("%s must be str or bytes, not %s" % (name, type(value).__name__))


def _text_in(value: Union[str, bytes], name: str) -> bytes:
    """A text for an entry that takes it NUL-terminated."""
    data = _bytes_in(value, name)
    if b"\0" in data:
        raise ValueError("%s must not contain a NUL character" % name)
    return data


def _int_in(value: int, name: str, low: int, high: int) -> int:
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError("%s must be an int, not %s" % (name, type(value).__name__))
    if not low <= value <= high:
        raise ValueError("%s must be from %d to %d, not %d" % (name, low, high, value))
    return value


def _choice(value: str, name: str, choices: dict[str, int]) -> int:
    if not isinstance(value, str):
        raise TypeError("%s must be a str, not %s" % (name, type(value).__name__))
    try:
        return choices[value.lower()]
    except KeyError:
        raise ValueError("%s must be one of %s, not %r" % (name, ", ".join(choices), value)) from None


def _path_in(value: Path, name: str) -> bytes:
    if not isinstance(value, (str, os.PathLike)):
        raise TypeError("%s must be a str or os.PathLike, not %s" % (name, type(value).__name__))
    data = os.fsencode(value)
    if b"\0" in data:
        raise ValueError("%s must not contain a NUL character" % name)
    return data


def version() -> str:
    """The version of the loaded library, "1.0.10"."""
    return _lib.tolvex_version().decode("ascii")


__version__ = version()


# The members of the JSON form that hold decimals and dates; every other number is an integer and
# every other value a text (the schemas under docs/schema say the same, and a test holds them).
_DECIMAL_MEMBERS = frozenset({
    "AlreadyClaimedTaxAmount", "AlreadyClaimedTaxExclusiveAmount", "AlreadyClaimedTaxInclusiveAmount",
    "Amount", "ClassifiedTaxCategory", "CurrRate", "DifferenceTaxAmount", "DifferenceTaxExclusiveAmount",
    "DifferenceTaxInclusiveAmount", "InvoicedQuantity", "LineTaxAmount", "LineTaxExclusiveAmount",
    "LineTaxInclusiveAmount", "MaxAmount", "PaidDepositsAmount", "PayableAmount", "PayableRoundingAmount",
    "ReferenceCurrRate", "TaxAmount", "TaxExclusiveAmount", "TaxInclusiveAmount", "UnitPriceTaxAmount",
    "UnitPriceTaxExclusiveAmount", "UnitPriceTaxInclusiveAmount",
})
_DATE_MEMBERS = frozenset({
    "IssueDate", "LastDate", "PaymentDueDate", "PeriodFromDate", "PeriodToDate", "TaxPointDate", "ValidTillDate",
})
_DATE_FORM = re.compile(r"[0-9]{4}-[0-9]{2}-[0-9]{2}")


def _typed(value: Any, name: Optional[str] = None) -> Any:
    """The JSON form's values as Python's: decimals as Decimal, dates as datetime.date (a date the
    calendar has not, which the rules let through, stays a text)."""
    if isinstance(value, dict):
        return {key: _typed(item, key) for key, item in value.items()}
    if isinstance(value, list):
        return [_typed(item, name) for item in value]
    if name in _DECIMAL_MEMBERS and isinstance(value, (int, decimal.Decimal)) and not isinstance(value, bool):
        return decimal.Decimal(value)
    if name in _DATE_MEMBERS and isinstance(value, str) and _DATE_FORM.fullmatch(value):
        try:
            return datetime.date.fromisoformat(value)
        except ValueError:
            return value
    return value


def _from_json(json_text: str) -> dict[str, Any]:
    return _typed(json.loads(json_text, parse_float=decimal.Decimal))


def _json_text(value: Any) -> str:
    """The JSON text of a document given as a dict: Decimal as the number it writes (no float in
    between), dates as YYYY-MM-DD."""
    if isinstance(value, dict):
        return "{" + ",".join(json.dumps(str(key)) + ":" + _json_text(item) for key, item in value.items()) + "}"
    if isinstance(value, (list, tuple)):
        return "[" + ",".join(_json_text(item) for item in value) + "]"
    if isinstance(value, decimal.Decimal):
        if not value.is_finite():
            raise ValueError("a decimal of a document must be finite, not %s" % value)
        return format(value, "f")
    if isinstance(value, datetime.date):
        return json.dumps(value.isoformat())
    if value is None or isinstance(value, (bool, int, float, str)):
        return json.dumps(value, allow_nan=False)
    raise TypeError("a document holds no %s" % type(value).__name__)


def encode(document: Union[dict[str, Any], str, bytes]) -> str:
    """The encoded text of a document: a dict in the JSON form ({"Invoice": {...}}, as decode()
    gives it; Decimal, int or float numbers, dates as datetime.date or texts), or the text of a
    JSON or XML document, told apart by its first character other than white space."""
    if isinstance(document, dict):
        data = _json_text(document).encode("utf-8")
    else:
        data = _bytes_in(document, "document")
    if data.lstrip()[:1] != b"{":
        return _text_out(_lib.tolvex_encode_xml, data, len(data))
    return _text_out(_lib.tolvex_encode_json, data, len(data))


@dataclasses.dataclass(frozen=True)
class Finding:
    """One finding of check(): an error the rules refuse the document for, or a warning of the
    strict checks. line and column are None where the input has no places (encoded texts);
    error_line is the tools' line for an error and None for a warning."""

    severity: str
    rule: str
    path: str
    line: Optional[int]
    column: Optional[int]
    value: str
    message: str
    error_line: Optional[str]


def check(document: Union[str, bytes]) -> list[Finding]:
    """Every finding of a document (XML, JSON form or encoded text), errors first; the first
    error's error_line is the line encoding fails with."""
    data = _bytes_in(document, "document")
    report = json.loads(_text_out(_lib.tolvex_check, data, len(data)))
    return [Finding(d["severity"], d["rule"], d["path"], d["line"], d["column"], d["value"], d["message"],
                    d["errorLine"]) for d in report["diagnostics"]]


def encode_xml(xml: Union[str, bytes]) -> str:
    """Reads, validates and encodes an XML payment order, invoice or list of invoice lines into its
    encoded text, the content of its QR code. bytes are taken as the XML file is (its declaration
    names the encoding); str is passed as UTF-8."""
    data = _bytes_in(xml, "xml")
    return _text_out(_lib.tolvex_encode_xml, data, len(data))


def decode_xml(text: Union[str, bytes]) -> str:
    """The XML of the document an encoded text holds, computed amounts included, in one line."""
    data = _bytes_in(text, "text")
    return _text_out(_lib.tolvex_decode_to_xml, data, len(data))


def _local_name(tag: str) -> str:
    return tag.rsplit("}", 1)[-1]


def _is_list(name: str, children: list[ElementTree.Element]) -> bool:
    """A list element is named as the plural of its items: Payments of Payment,
    TaxCategorySummaries of TaxCategorySummary. The XML writes no element for an empty list."""
    if not children:
        return False
    item_names = {_local_name(child.tag) for child in children}
    if len(item_names) != 1:
        return False
    item = item_names.pop()
    return name in (item + "s", item[:-1] + "ies" if item.endswith("y") else None)


def _element_value(element: ElementTree.Element) -> Any:
    children = list(element)
    if not children:
        return element.text or ""
    if _is_list(_local_name(element.tag), children):
        return [_element_value(child) for child in children]
    return {_local_name(child.tag): _element_value(child) for child in children}


def xml_to_dict(xml: Union[str, bytes]) -> dict[str, Any]:
    """The fields of a document's XML as a dict: element names as keys, records as dicts, lists as
    lists, every value the text the XML gives ("12480", "0.21", "moneyTransfer creditCard"), so
    that nothing is lost to floating point. Absent fields are absent keys."""
    root = ElementTree.fromstring(xml)
    value = _element_value(root)
    return value if isinstance(value, dict) else {}


def decode(text: Union[str, bytes], *, as_xml: bool = False) -> Union[dict[str, Any], str]:
    """The document an encoded text holds, with its computed amounts: as a dict in the JSON form
    ({"Invoice": {"type": "Invoice", "InvoiceID": ..., ...}}, decimals as Decimal, dates as
    datetime.date), which encode() takes back, or with as_xml=True as its XML text."""
    if as_xml:
        return decode_xml(text)
    data = _bytes_in(text, "text")
    return _from_json(_text_out(_lib.tolvex_decode_to_json, data, len(data)))


def summary(text: Union[str, bytes]) -> str:
    """What the document an encoded text holds says, as plain text a person reads."""
    with Document.decode(text) as document:
        return document.summary()


def read_header(text: Union[str, bytes]) -> Header:
    """The header of an encoded text, read without decoding the rest."""
    data = _bytes_in(text, "text")
    header = _library.HeaderStruct()
    _check(_lib.tolvex_read_header(data, len(data), byref(header)))
    return _header(header)


def _header(header: _library.HeaderStruct) -> Header:
    family: int = header.family
    if family in Family._value2member_map_:
        family = Family(family)
    return Header(family, header.version, header.document_type)


class _Picture(NamedTuple):
    text: bytes
    size: int
    logo: Optional[bytes]
    rotation: int
    variation: int
    frame: int
    format: int


def _picture(text: Union[str, bytes], format: str, size: int, logo: Optional[Path], rotation: str,
             variation: str, frame: bool) -> _Picture:
    if logo is not None and size != 0:
        raise ValueError("size applies to plain pictures; a logo picture has the size of its logo")
    if not isinstance(frame, bool):
        raise TypeError("frame must be a bool, not %s" % type(frame).__name__)
    directory = None
    if logo is not None:
        # The library puts the directory in front of the file name as it is.
        directory = _path_in(logo, "logo")
        if not directory.endswith(b"/"):
            directory += b"/"
    return _Picture(_text_in(text, "text"), _int_in(size, "size", -_INT32_MAX - 1, _INT32_MAX), directory,
                    _choice(rotation, "rotation", _ROTATIONS), _choice(variation, "variation", _VARIATIONS),
                    int(frame), _choice(format, "format", _FORMATS))


class _Print(NamedTuple):
    """The print keywords of render and write_file; all None (or False): the older entries."""
    module_size: Optional[int] = None
    margin: Optional[int] = None
    dpi: Optional[int] = None
    level: Optional[str] = None
    boost_level: bool = False
    paper: Optional[str] = None
    position: Optional[str] = None
    at: Optional[tuple[float, float]] = None
    page_margin: Optional[str] = None

    def asked(self) -> bool:
        return any(value is not None and value is not False for value in self)


def _millimetres(value: Union[str, float, int], name: str) -> float:
    """A length as "40mm", "1.5in" or "113pt", or a number of millimetres."""
    if isinstance(value, bool):
        raise TypeError("%s must be a length such as \"40mm\", not bool" % name)
    if isinstance(value, (int, float)):
        number = float(value)
    elif isinstance(value, str):
        match = re.fullmatch(r"([0-9]+(?:\.[0-9]*)?|\.[0-9]+)(mm|in|pt)", value.strip())
        if match is None:
            raise ValueError("%s must be a length such as 40mm, 1.5in or 113pt, not %r" % (name, value))
        number = float(match.group(1)) * _MILLIMETRES[match.group(2)]
    else:
        raise TypeError("%s must be a str or a number, not %s" % (name, type(value).__name__))
    if not 0 < number < float("inf"):
        raise ValueError("%s must be above 0, not %r" % (name, value))
    return number


def _print_options(picture: _Picture, size: Union[int, str], printing: _Print) -> _library.PrintOptionsStruct:
    """The C record of a picture for print, as tolvex make draws it."""
    options = _library.PrintOptionsStruct()
    _lib.tolvex_print_options_init(byref(options))
    options.format = picture.format
    if isinstance(size, str):
        options.physical_size = _millimetres(size, "size")
    else:
        options.size = picture.size
    if printing.module_size is not None:
        options.module_size = _int_in(printing.module_size, "module_size", 1, 100)
    if printing.margin is not None:
        options.margin = _int_in(printing.margin, "margin", 4, 100)
    if printing.dpi is not None:
        options.dpi = _int_in(printing.dpi, "dpi", 1, 10000)
    if printing.level is not None:
        options.level = _choice(printing.level, "level", _LEVELS)
    if not isinstance(printing.boost_level, bool):
        raise TypeError("boost_level must be a bool, not %s" % type(printing.boost_level).__name__)
    options.boost_level = int(printing.boost_level)
    if printing.paper is not None:
        options.paper = _choice(printing.paper, "paper", _PAPERS)
    if printing.position is not None and printing.at is not None:
        raise ValueError("give position or at, not both")
    if printing.position is not None:
        options.position = _choice(printing.position, "position", _POSITIONS)
    if printing.at is not None:
        if not isinstance(printing.at, tuple) or len(printing.at) != 2:
            raise TypeError("at must be a tuple (x, y) of millimetres")
        options.position = -1
        # A corner on the page edge is at 0, which no length is.
        options.at_x, options.at_y = (0.0 if value == 0 and not isinstance(value, (str, bool)) else
                                      _millimetres(value, "at") for value in printing.at)
    if printing.page_margin is not None:
        options.page_margin = _millimetres(printing.page_margin, "page_margin")
    options.logo_directory = picture.logo
    options.rotation = picture.rotation
    options.variation = picture.variation
    options.frame = picture.frame
    return options


def render(text: Union[str, bytes], *, format: str = "png", size: Union[int, str] = 0, logo: Optional[Path] = None,
           rotation: str = "bottom", variation: str = "dark", frame: bool = True, module_size: Optional[int] = None,
           margin: Optional[int] = None, dpi: Optional[int] = None, level: Optional[str] = None,
           boost_level: bool = False, paper: Optional[str] = None, position: Optional[str] = None,
           at: Optional[tuple[float, float]] = None, page_margin: Optional[str] = None) -> bytes:
    """The QR code of an encoded text as the bytes of a picture file, format "png", "svg" or
    "pdf": plain with a side of size pixels (0: one pixel a module; points in PDF), or with logo
    (the directory of the logo pictures) composed into the logo picture of the text's family,
    placed by rotation ("bottom", "top", "left", "right") in colour variation ("dark", "medium",
    "light", "gray"), with or without frame. The bytes are those write_file writes.

    For print, as `tolvex make` draws it (compact SVG and PDF carrying the document's summary,
    so the text must decode): size as a length ("40mm", "1.5in", "113pt"), module_size (whole
    pixels a module, plain code only), margin (the quiet zone, 4 to 100 modules), dpi (the PNG's
    resolution), level ("L", "M", "Q", "H") and boost_level, paper ("a4", "a5", "a6", "letter",
    PDF) with position ("top-left" ... "bottom-right") or at ((x, y) from the top-left corner,
    numbers in millimetres or lengths) and page_margin."""
    printing = _Print(module_size, margin, dpi, level, boost_level, paper, position, at, page_margin)
    for_print = printing.asked() or isinstance(size, str)
    picture = _picture(text, format, 0 if isinstance(size, str) else size, logo, rotation, variation, frame)
    data = c_void_p()
    data_size = c_int32()
    if for_print:
        options = _print_options(picture, size, printing)
        code = _lib.tolvex_print_write_memory(picture.text, byref(options), byref(data), byref(data_size))
    elif picture.logo is None:
        code = _lib.tolvex_qr_write_memory(picture.text, picture.size, picture.format, byref(data), byref(data_size))
    else:
        code = _lib.tolvex_qr_logo_write_memory(picture.text, picture.rotation, picture.variation, picture.frame,
                                                picture.logo, picture.format, byref(data), byref(data_size))
    _check(code)
    try:
        return ctypes.string_at(data.value, data_size.value)
    finally:
        _lib.tolvex_free(data.value)


def stamp_pdf(text: Union[str, bytes], pdf: Path, output: Path, *, page: int = 0, size: Union[str, float] = "30mm",
              position: Optional[str] = None, at: Optional[tuple[float, float]] = None,
              page_margin: Optional[str] = None, logo: Optional[Path] = None, rotation: str = "bottom",
              variation: str = "dark", frame: bool = True, margin: Optional[int] = None, level: Optional[str] = None,
              boost_level: bool = False) -> None:
    """The code of an encoded text placed onto page (1 the first, 0 the last) of the PDF file pdf,
    written to output (replaced once complete; it may be pdf), everything else of the PDF kept:
    size wide (a length, default 30 mm), at position (default "bottom-right") inside page_margin
    (default 10 mm), or at (x, y) from the page's top-left corner. A PDF that cannot be read or is
    encrypted raises TolvexError."""
    if not _has("tolvex_stamp_pdf"):
        raise TolvexError(-1, "ERROR_ILLEGAL_ARGUMENT: the loaded library cannot stamp PDF documents")
    picture = _picture(text, "pdf", 0, logo, rotation, variation, frame)
    options = _print_options(picture, size if isinstance(size, str) else "%smm" % float(size),
                             _Print(margin=margin, level=level, boost_level=boost_level, position=position, at=at,
                                    page_margin=page_margin))
    if position is None and at is None:
        options.position = _POSITIONS["bottom-right"]
    _check(_lib.tolvex_stamp_pdf(picture.text, byref(options), _int_in(page, "page", 0, _INT32_MAX),
                                 _path_in(pdf, "pdf"), _path_in(output, "output")))


def render_png(text: Union[str, bytes], logo: Optional[Path] = None, *, size: int = 0, rotation: str = "bottom",
               variation: str = "dark", frame: bool = True) -> bytes:
    """render() in PNG."""
    return render(text, format="png", size=size, logo=logo, rotation=rotation, variation=variation, frame=frame)


def _format_of(path: bytes) -> str:
    for name in ("svg", "pdf"):
        if path.lower().endswith(b"." + name.encode()):
            return name
    return "png"


def write_file(text: Union[str, bytes], path: Path, *, format: Optional[str] = None, size: Union[int, str] = 0,
               logo: Optional[Path] = None, rotation: str = "bottom", variation: str = "dark",
               frame: bool = True, module_size: Optional[int] = None, margin: Optional[int] = None,
               dpi: Optional[int] = None, level: Optional[str] = None, boost_level: bool = False,
               paper: Optional[str] = None, position: Optional[str] = None, at: Optional[tuple[float, float]] = None,
               page_margin: Optional[str] = None) -> None:
    """render() into a file, replaced only once the new one is complete. Without format the name
    chooses it as the tool does: ".svg" or ".pdf" in any letter case, else PNG."""
    file_name = _path_in(path, "path")
    printing = _Print(module_size, margin, dpi, level, boost_level, paper, position, at, page_margin)
    picture = _picture(text, format or _format_of(file_name), 0 if isinstance(size, str) else size, logo, rotation,
                       variation, frame)
    if printing.asked() or isinstance(size, str):
        options = _print_options(picture, size, printing)
        code = _lib.tolvex_print_write_file(picture.text, byref(options), file_name)
    elif picture.logo is None:
        code = _lib.tolvex_qr_write_file(picture.text, picture.size, picture.format, file_name)
    else:
        code = _lib.tolvex_qr_logo_write_file(picture.text, picture.rotation, picture.variation, picture.frame,
                                              picture.logo, picture.format, file_name)
    _check(code)


def _scanned(codes: Any, count: int) -> list[ScannedCode]:
    try:
        found = []
        for i in range(count):
            code = codes[i]
            found.append(ScannedCode(
                ctypes.string_at(code.text, code.text_length).decode("utf-8", "surrogateescape"),
                code.page,
                bool(code.tolvex),
                code.status,
                ctypes.string_at(code.xml, code.xml_length).decode("utf-8") if code.xml else None,
                ctypes.string_at(code.error_line).decode("utf-8", "surrogateescape") if code.error_line else None,
            ))
        return found
    finally:
        _lib.tolvex_scanned_codes_free(codes, count)


def scan(data: bytes) -> list[ScannedCode]:
    """The QR codes of a PNG or JPEG picture, or of every page of a PDF document, given as its
    bytes: in page and reading order, an empty list when there is none."""
    if not isinstance(data, (bytes, bytearray, memoryview)):
        raise TypeError("data must be bytes, not %s" % type(data).__name__)
    data = bytes(data)
    codes = ctypes.POINTER(_library.ScannedCodeStruct)()
    count = c_size_t()
    _check(_lib.tolvex_scan_memory(data, len(data), byref(codes), byref(count)))
    return _scanned(codes, count.value)


def scan_file(path: Path) -> list[ScannedCode]:
    """scan() of a file."""
    codes = ctypes.POINTER(_library.ScannedCodeStruct)()
    count = c_size_t()
    _check(_lib.tolvex_scan_file(_path_in(path, "path"), byref(codes), byref(count)))
    return _scanned(codes, count.value)


def set_background(red: float, green: float, blue: float, alpha: float = 1.0) -> None:
    """The background colour of every picture this thread renders, each part from 0 to 1
    (default opaque white)."""
    parts = (red, green, blue, alpha)
    for part in parts:
        if isinstance(part, bool) or not isinstance(part, (int, float)):
            raise TypeError("colour parts must be numbers, not %s" % type(part).__name__)
        if not 0.0 <= part <= 1.0:
            raise ValueError("colour parts must be from 0 to 1, not %r" % part)
    _lib.tolvex_render_set_background(*(float(part) for part in parts))


def set_logo_cache_budget(size: int) -> None:
    """Keeps this thread's decoded logo pictures up to size bytes of their PNG files; 0 turns the
    cache off (the default)."""
    _lib.tolvex_logo_cache_set_budget(_int_in(size, "size", 0, _INT32_MAX))


def free_logo_cache() -> None:
    """Drops this thread's cached logo pictures."""
    _lib.tolvex_logo_cache_free()


def sequence_limit() -> int:
    """The longest field text this thread's encoding accepts, in bytes (default 550)."""
    return _lib.tolvex_sequence_limit()


def set_sequence_limit(size: int) -> None:
    """Sets sequence_limit() for this thread."""
    _lib.tolvex_set_sequence_limit(_int_in(size, "size", 0, 2**32 - 1))


class Document:
    """A document held by the library, read from XML or decoded from an encoded text. Its fields
    are reached by the path of their XML element names ("InvoiceID", "Payments/0/Amount", list
    items by position from 0). Release it with close() or a with block; it is also released when
    collected."""

    __slots__ = ("_handle",)

    def __init__(self, handle: int):
        """Takes a handle from the library; use from_xml, decode or encode_xml."""
        self._handle: Optional[int] = handle

    @classmethod
    def _made_by(cls, function: Any, data: bytes) -> "Document":
        handle = c_void_p()
        _check(function(data, len(data), byref(handle)))
        return cls(handle.value)

    @classmethod
    def from_xml(cls, xml: Union[str, bytes]) -> "Document":
        """Reads a document from XML without validating it; encode() validates."""
        return cls._made_by(_lib.tolvex_xml_read_document, _bytes_in(xml, "xml"))

    @classmethod
    def decode(cls, text: Union[str, bytes]) -> "Document":
        """The validated document an encoded text holds, with its computed amounts."""
        return cls._made_by(_lib.tolvex_decode_document, _bytes_in(text, "text"))

    @classmethod
    def encode_xml(cls, xml: Union[str, bytes]) -> tuple[str, "Document"]:
        """encode_xml(), with the validated document and its computed amounts."""
        data = _bytes_in(xml, "xml")
        text = c_void_p()
        length = c_size_t()
        handle = c_void_p()
        _check(_lib.tolvex_encode_xml_keep_document(data, len(data), byref(text), byref(length), byref(handle)))
        document = cls(handle.value)
        return _taken_text(text.value, length.value) or "", document

    def _live(self) -> int:
        if self._handle is None:
            raise ValueError("the document is closed")
        return self._handle

    def encode(self) -> str:
        """Validates the document and gives its encoded text; the document is not changed."""
        return _text_out(_lib.tolvex_encode_document, self._live())

    def to_xml(self) -> str:
        """The document as XML in one line, computed amounts included."""
        return _text_out(_lib.tolvex_xml_write_document, self._live())

    def to_dict(self) -> dict[str, Any]:
        """The document as decode() gives it: a dict in the JSON form."""
        return _from_json(_text_out(_lib.tolvex_document_json, self._live()))

    def summary(self) -> str:
        """What the document says, as plain text a person reads."""
        return _text_out(_lib.tolvex_document_summary, self._live())

    @property
    def header(self) -> Header:
        header = _library.HeaderStruct()
        _check(_lib.tolvex_document_header(self._live(), byref(header)))
        return _header(header)

    def field(self, path: str) -> Field:
        """What a path names. A path that names no element of the document's family raises
        TolvexError (ILLEGAL_ARGUMENT); an absent field gives present False."""
        raw = _library.FieldStruct()
        _check(_lib.tolvex_document_field(self._live(), _text_in(path, "path"), byref(raw)))
        try:
            text = ctypes.string_at(raw.text, raw.text_length).decode("utf-8") if raw.text else None
            return Field(FieldKind(raw.kind), bool(raw.present), text, raw.number if raw.has_number else None,
                         raw.count)
        finally:
            _lib.tolvex_field_clear(byref(raw))

    def value(self, path: str) -> Optional[str]:
        """The text of the field a path names, as the XML writes it; None when it is absent or is
        a record or list."""
        text = c_void_p()
        _check(_lib.tolvex_document_value(self._live(), _text_in(path, "path"), byref(text)))
        return _taken_text(text.value)

    def close(self) -> None:
        """Releases the document; later calls on it raise ValueError. Closing twice is allowed."""
        handle, self._handle = self._handle, None
        if handle is not None:
            _lib.tolvex_document_free(handle)

    def __enter__(self) -> "Document":
        self._live()
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __del__(self) -> None:
        # At interpreter exit the module's globals may be gone already.
        if getattr(self, "_handle", None) is not None and _lib is not None:
            self.close()
