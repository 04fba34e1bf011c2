"""Finding and loading libtolvex.so.1, and the C signatures of every function the module calls."""

from __future__ import annotations

import ctypes
import os
from ctypes import POINTER, c_char_p, c_double, c_int, c_int32, c_size_t, c_uint32, c_void_p

ENVIRONMENT_VARIABLE = "TOLVEX_LIBRARY"
SONAME = "libtolvex.so.1"


class LibraryNotFoundError(ImportError):
    """No tolvex shared library could be loaded; the message names every place tried and why it
    failed."""


class HeaderStruct(ctypes.Structure):
    _fields_ = [("family", c_int32), ("version", c_int32), ("document_type", c_int32)]


class FieldStruct(ctypes.Structure):
    _fields_ = [
        ("kind", c_int32),
        ("present", c_int32),
        ("text", c_void_p),
        ("text_length", c_size_t),
        ("has_number", c_int32),
        ("number", c_double),
        ("count", c_uint32),
    ]


class ScannedCodeStruct(ctypes.Structure):
    _fields_ = [
        ("text", c_void_p),
        ("text_length", c_size_t),
        ("page", c_int32),
        ("tolvex", c_int32),
        ("status", c_int32),
        ("xml", c_void_p),
        ("xml_length", c_size_t),
        ("error_line", c_void_p),
    ]


class PrintOptionsStruct(ctypes.Structure):
    _fields_ = [
        ("format", c_int32),
        ("size", c_int32),
        ("module_size", c_int32),
        ("margin", c_int32),
        ("dpi", c_int32),
        ("level", c_int32),
        ("boost_level", c_int32),
        ("physical_size", c_double),
        ("paper", c_int32),
        ("position", c_int32),
        ("at_x", c_double),
        ("at_y", c_double),
        ("page_margin", c_double),
        ("compact", c_int32),
        ("describe", c_int32),
        ("logo_directory", c_char_p),
        ("rotation", c_int32),
        ("variation", c_int32),
        ("frame", c_int32),
    ]


_bytes_out = POINTER(c_void_p)
_size_out = POINTER(c_size_t)
_int32_out = POINTER(c_int32)
_handle_out = POINTER(c_void_p)

# name: (restype, argtypes). Every text or buffer handed out is a c_void_p, so that ctypes makes
# no copy of its own and the module can release it with tolvex_free.
SIGNATURES: dict[str, tuple[object, list[object]]] = {
    "tolvex_error_line": (c_void_p, []),
    "tolvex_free": (None, [c_void_p]),
    "tolvex_encode_xml": (c_int, [c_char_p, c_size_t, _bytes_out, _size_out]),
    "tolvex_decode_to_xml": (c_int, [c_char_p, c_size_t, _bytes_out, _size_out]),
    "tolvex_qr_write_file": (c_int, [c_char_p, c_int32, c_int32, c_char_p]),
    "tolvex_qr_logo_write_file": (c_int, [c_char_p, c_int32, c_int32, c_int32, c_char_p, c_int32, c_char_p]),
    "tolvex_qr_write_memory": (c_int, [c_char_p, c_int32, c_int32, _bytes_out, _int32_out]),
    "tolvex_qr_logo_write_memory": (
        c_int,
        [c_char_p, c_int32, c_int32, c_int32, c_char_p, c_int32, _bytes_out, _int32_out],
    ),
    "tolvex_render_set_background": (None, [c_double, c_double, c_double, c_double]),
    "tolvex_logo_cache_set_budget": (None, [c_int32]),
    "tolvex_logo_cache_free": (None, []),
    "tolvex_sequence_limit": (c_uint32, []),
    "tolvex_set_sequence_limit": (None, [c_uint32]),
    "tolvex_scan_memory": (c_int, [c_char_p, c_size_t, POINTER(POINTER(ScannedCodeStruct)), _size_out]),
    "tolvex_scan_file": (c_int, [c_char_p, POINTER(POINTER(ScannedCodeStruct)), _size_out]),
    "tolvex_scanned_codes_free": (None, [POINTER(ScannedCodeStruct), c_size_t]),
}

# The entries that came with the document handle; declared when the library has them.
DOCUMENT_SIGNATURES: dict[str, tuple[object, list[object]]] = {
    "tolvex_version": (c_char_p, []),
    "tolvex_last_error_code": (c_int, []),
    "tolvex_last_error_message": (c_void_p, []),
    "tolvex_last_error_detail": (c_void_p, []),
    "tolvex_read_header": (c_int, [c_char_p, c_size_t, POINTER(HeaderStruct)]),
    "tolvex_decode_document": (c_int, [c_char_p, c_size_t, _handle_out]),
    "tolvex_xml_read_document": (c_int, [c_char_p, c_size_t, _handle_out]),
    "tolvex_encode_xml_keep_document": (c_int, [c_char_p, c_size_t, _bytes_out, _size_out, _handle_out]),
    "tolvex_encode_document": (c_int, [c_void_p, _bytes_out, _size_out]),
    "tolvex_xml_write_document": (c_int, [c_void_p, _bytes_out, _size_out]),
    "tolvex_document_header": (c_int, [c_void_p, POINTER(HeaderStruct)]),
    "tolvex_document_field": (c_int, [c_void_p, c_char_p, POINTER(FieldStruct)]),
    "tolvex_field_clear": (None, [POINTER(FieldStruct)]),
    "tolvex_document_value": (c_int, [c_void_p, c_char_p, _bytes_out]),
    "tolvex_document_free": (None, [c_void_p]),
    "tolvex_encode_json": (c_int, [c_char_p, c_size_t, _bytes_out, _size_out]),
    "tolvex_decode_to_json": (c_int, [c_char_p, c_size_t, _bytes_out, _size_out]),
    "tolvex_document_json": (c_int, [c_void_p, _bytes_out, _size_out]),
    "tolvex_document_summary": (c_int, [c_void_p, _bytes_out, _size_out]),
    "tolvex_check": (c_int, [c_char_p, c_size_t, _bytes_out, _size_out]),
    "tolvex_print_options_init": (None, [POINTER(PrintOptionsStruct)]),
    "tolvex_print_write_memory": (c_int, [c_char_p, POINTER(PrintOptionsStruct), _bytes_out, _int32_out]),
    "tolvex_print_write_file": (c_int, [c_char_p, POINTER(PrintOptionsStruct), c_char_p]),
    "tolvex_stamp_pdf": (c_int, [c_char_p, POINTER(PrintOptionsStruct), c_int32, c_char_p, c_char_p]),
}


def _declare(library: ctypes.CDLL) -> ctypes.CDLL:
    for name, (restype, argtypes) in list(SIGNATURES.items()) + list(DOCUMENT_SIGNATURES.items()):
        if hasattr(library, name):
            function = getattr(library, name)
            function.restype = restype
            function.argtypes = argtypes
    return library


def _open(path: str) -> ctypes.CDLL:
    library = ctypes.CDLL(path)
    missing = [name for name in SIGNATURES if not hasattr(library, name)]
    if missing:
        raise OSError("%s lacks %s: not a tolvex library of this version" % (path, ", ".join(missing)))
    return _declare(library)


def load() -> ctypes.CDLL:
    """The library named by TOLVEX_LIBRARY (a file, or a directory holding libtolvex.so.1), else
    the one the system's loader finds by its name."""
    tried = []
    given = os.environ.get(ENVIRONMENT_VARIABLE)
    if given:
        path = os.path.join(given, SONAME) if os.path.isdir(given) else given
        try:
            return _open(path)
        except OSError as error:
            tried.append("%s=%s: %s" % (ENVIRONMENT_VARIABLE, given, error))
    else:
        tried.append("%s: not set" % ENVIRONMENT_VARIABLE)
    try:
        return _open(SONAME)
    except OSError as error:
        tried.append("%s through the loader path (LD_LIBRARY_PATH=%s): %s"
                     % (SONAME, os.environ.get("LD_LIBRARY_PATH", ""), error))
    raise LibraryNotFoundError("cannot load the tolvex library; tried:\n  " + "\n  ".join(tried))
