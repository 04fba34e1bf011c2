/* tolvex: payment orders and invoices as QR codes.
 *
 * The C interface of the tolvex library, its stable ABI (libtolvex.so.1): functions are only
 * added within a major version, and the structs below only grow at their end.
 *
 * Conventions, for every function unless its comment says otherwise:
 * - Functions that can fail return 0 (TOLVEX_OK) on success or a tolvex_error code. The failure
 *   is then recorded for the calling thread: tolvex_last_error_code, _message and _detail give
 *   its parts, tolvex_error_line the line the command-line tool prints. A successful call leaves
 *   the record of the last failure as it was.
 * - Input texts are UTF-8. A "text" without a length argument is NUL-terminated.
 * - Output pointers are written only on success. A NULL where an output must go is
 *   TOLVEX_ERROR_NULL_POINTER; a NULL input text is reported as the operation reports a missing
 *   input (usually TOLVEX_ERROR_NULL_POINTER as well), never a crash.
 * - Texts and buffers handed out are allocated with malloc, NUL-terminated, and released by the
 *   caller with tolvex_free. Documents are released with tolvex_document_free, scanned codes with
 *   tolvex_scanned_codes_free, fields with tolvex_field_clear.
 * - Running out of memory anywhere is TOLVEX_ERROR_IO "Not enough memory. ", and the library
 *   stays usable. No C++ exception leaves these functions.
 * - Settings (render background and format, logo cache, sequence limit) belong to the calling
 *   thread; every function may be called from several threads at once.
 */
#ifndef TOLVEX_TOLVEX_H
#define TOLVEX_TOLVEX_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define TOLVEX_API __attribute__((visibility("default")))
#else
#define TOLVEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this header; tolvex_version() gives the library's. */
#define TOLVEX_VERSION_MAJOR 1
#define TOLVEX_VERSION_MINOR 0
#define TOLVEX_VERSION_PATCH 10

/* Every code a function returns. */
typedef enum tolvex_error {
  TOLVEX_OK = 0,
  TOLVEX_ERROR_IO = -3,               /* a file or memory: "Not enough memory. " and others */
  TOLVEX_ERROR_NULL_POINTER = -2,     /* a required argument is NULL */
  TOLVEX_ERROR_ILLEGAL_ARGUMENT = -1, /* an argument outside its range */
  TOLVEX_ERROR_BASE32HEX = 1,         /* a character outside base32hex in a text */
  TOLVEX_ERROR_CHECKSUM = 2,          /* the CRC-32 of a text does not match */
  TOLVEX_ERROR_COMPRESSION = 3,       /* LZMA failed */
  TOLVEX_ERROR_INVALID_VALUE = 4,     /* a field of a document breaks a rule */
  TOLVEX_ERROR_BAD_FORMAT = 5,        /* a QR code that is not a tolvex code */
  TOLVEX_ERROR_MAX_PRIORITY_REACHED = 6,
  TOLVEX_ERROR_SEQUENCE_LIMIT_EXCEEDED = 7, /* the fields exceed the sequence limit */
  TOLVEX_ERROR_UNKNOWN_DOCUMENT = 8,        /* no family of this library, or no code found */
  TOLVEX_ERROR_XML = 9,                     /* the XML is not well formed or not valid */
  TOLVEX_ERROR_MISSING_LOGO = 10,           /* the logo picture cannot be read */
  TOLVEX_ERROR_QR = 11                      /* the text does not fit a QR code */
} tolvex_error;

/* The library's version, "1.0.10"; a static text, never NULL, not to be freed. */
TOLVEX_API const char* tolvex_version(void);

/* The calling thread's last failure: its code (TOLVEX_OK before any failure), and its message
 * and detail as malloc'd texts (empty when there is none; NULL only when no memory is left). */
TOLVEX_API int tolvex_last_error_code(void);
TOLVEX_API char* tolvex_last_error_message(void);
TOLVEX_API char* tolvex_last_error_detail(void);

/* The error line of the calling thread's last failure, as the command-line tool prints it:
 * "ERROR_XML: ..." (malloc'd; NULL only when no memory is left). */
TOLVEX_API char* tolvex_error_line(void);

/* Releases a text or buffer handed out by this library; NULL is allowed. */
TOLVEX_API void tolvex_free(void* pointer);

/* Document families. */
enum { TOLVEX_FAMILY_PAY = 0, TOLVEX_FAMILY_INVOICE = 1, TOLVEX_FAMILY_INVOICE_ITEMS = 2 };

/* The two header bytes of a document, unpacked. */
typedef struct tolvex_header {
  int32_t family;        /* TOLVEX_FAMILY_... (0 to 15 as carried) */
  int32_t version;       /* 0 to 15 */
  int32_t document_type; /* 0 to 15: the family's document type */
} tolvex_header;

/* Reads the header of an encoded text without decompressing it (text_length bytes of text).
 * text and header must not be NULL (TOLVEX_ERROR_NULL_POINTER). A text too short to hold a
 * header is TOLVEX_ERROR_UNKNOWN_DOCUMENT; a character outside base32hex TOLVEX_ERROR_BASE32HEX. */
TOLVEX_API int tolvex_read_header(const char* text, size_t text_length, tolvex_header* header);

/* Reads, validates and encodes an XML document (xml_length bytes) into its base32hex text.
 * text must not be NULL; text_length may be. Returns the codes of reading (TOLVEX_ERROR_XML),
 * validation (TOLVEX_ERROR_INVALID_VALUE, TOLVEX_ERROR_UNKNOWN_DOCUMENT), the sequence limit and
 * compression. */
TOLVEX_API int tolvex_encode_xml(const char* xml, size_t xml_length, char** text, size_t* text_length);

/* Decodes a base32hex text (text_length bytes) into the XML of its document, computed amounts
 * included. xml must not be NULL; xml_length may be. Returns the codes of unpacking
 * (TOLVEX_ERROR_BASE32HEX, _CHECKSUM, _COMPRESSION, _UNKNOWN_DOCUMENT) and of validation. */
TOLVEX_API int tolvex_decode_to_xml(const char* text, size_t text_length, char** xml, size_t* xml_length);

/* Reads, validates and encodes a document in its JSON form (json_length bytes) into its base32hex
 * text, as tolvex_encode_xml does for XML: {"Pay": {...}}, {"Invoice": {"type": "CreditNote", ...}}
 * or {"InvoiceItems": {...}}, members named as the XML elements. json and text must not be NULL
 * (TOLVEX_ERROR_NULL_POINTER); text_length may be. JSON that cannot be read or does not have the
 * shape of a document is TOLVEX_ERROR_XML, its message saying JSON and where; then the codes of
 * tolvex_encode_xml. */
TOLVEX_API int tolvex_encode_json(const char* json, size_t json_length, char** text, size_t* text_length);

/* Decodes a base32hex text (text_length bytes) into the JSON form of its document, in one line,
 * computed amounts included. json must not be NULL; json_length may be. The codes of
 * tolvex_decode_to_xml. */
TOLVEX_API int tolvex_decode_to_json(const char* text, size_t text_length, char** json, size_t* json_length);

/* A document held by the library: read from XML or decoded from a text. Its fields are reached by
 * the path of their XML element names (tolvex_document_field). */
typedef struct tolvex_document tolvex_document;

/* Decodes a text into a validated document with its computed amounts. document must not be NULL.
 * The codes of tolvex_decode_to_xml. Release the document with tolvex_document_free. */
TOLVEX_API int tolvex_decode_document(const char* text, size_t text_length, tolvex_document** document);

/* Reads a document from XML without validating it (tolvex_encode_document validates). document
 * must not be NULL. TOLVEX_ERROR_XML for XML that is not well formed or breaks the schema; a root
 * element that names no family is TOLVEX_ERROR_NULL_POINTER "Document cannot be null. ", as
 * tolvex_encode_xml reports it. */
TOLVEX_API int tolvex_xml_read_document(const char* xml, size_t xml_length, tolvex_document** document);

/* tolvex_encode_xml that also hands out the validated document with its computed amounts.
 * text and document must not be NULL; text_length may be. */
TOLVEX_API int tolvex_encode_xml_keep_document(const char* xml, size_t xml_length, char** text,
                                               size_t* text_length, tolvex_document** document);

/* Validates and encodes a document, which is not changed. document and text must not be NULL;
 * text_length may be. The codes of tolvex_encode_xml after reading. */
TOLVEX_API int tolvex_encode_document(const tolvex_document* document, char** text, size_t* text_length);

/* The document as XML in one line, computed amounts included. document and xml must not be NULL;
 * xml_length may be. */
TOLVEX_API int tolvex_xml_write_document(const tolvex_document* document, char** xml, size_t* xml_length);

/* The header of a document. Neither argument may be NULL. */
TOLVEX_API int tolvex_document_header(const tolvex_document* document, tolvex_header* header);

/* What a path names in a document. */
enum {
  TOLVEX_FIELD_TEXT = 0,
  TOLVEX_FIELD_INTEGER = 1,
  TOLVEX_FIELD_DECIMAL = 2,
  TOLVEX_FIELD_ENUMERATION = 3, /* one name of a fixed list; number is its position */
  TOLVEX_FIELD_CODE = 4,        /* one of a fixed set of short codes, written by its name */
  TOLVEX_FIELD_FLAGS = 5,       /* names of a fixed list; number holds the bits */
  TOLVEX_FIELD_RECORD = 6,
  TOLVEX_FIELD_LIST = 7
};

typedef struct tolvex_field {
  int32_t kind;       /* TOLVEX_FIELD_... */
  int32_t present;    /* 1 when the document holds the field; an absent field differs from an
                         empty text or an empty list */
  char* text;         /* a present value as the document's XML writes it (malloc'd); NULL for
                         absent fields, records and lists */
  size_t text_length; /* its length in bytes */
  int32_t has_number; /* 1 when number holds the value of an integer, decimal, enumeration or
                         flag field */
  double number;
  uint32_t count; /* the items of a present list */
} tolvex_field;

/* The field, record or list that a path of XML element names names: "InvoiceID",
 * "Payments/0/Amount", "Payments/0/BankAccounts/1/IBAN" (list items by position from 0),
 * "TaxCategorySummaries" (a list, with its count). Computed amounts are reached as carried ones.
 * document, path and field must not be NULL. A path that names no element of the document's
 * family is TOLVEX_ERROR_ILLEGAL_ARGUMENT; a path to an absent field succeeds with present 0.
 * On success release the field with tolvex_field_clear. */
TOLVEX_API int tolvex_document_field(const tolvex_document* document, const char* path, tolvex_field* field);

/* Releases the text of a field and empties it; NULL is allowed. */
TOLVEX_API void tolvex_field_clear(tolvex_field* field);

/* The text of the field a path names, as tolvex_document_field gives it, in *text (malloc'd);
 * *text is NULL when the field is absent or is a record or list. */
TOLVEX_API int tolvex_document_value(const tolvex_document* document, const char* path, char** text);

/* What the document says as plain UTF-8 text a person reads, in *text (malloc'd, NUL-terminated)
 * and *text_length: for a payment order one block a payment, for an invoice its number, dates,
 * parties, tax and totals, for invoice lines one block a line; "Label: value" lines in a fixed
 * order, each ending in a line feed. document and text must not be NULL; text_length may be. A
 * document of a family or version this library does not know is TOLVEX_ERROR_UNKNOWN_DOCUMENT. */
TOLVEX_API int tolvex_document_summary(const tolvex_document* document, char** text, size_t* text_length);

/* The document in its JSON form (as tolvex_decode_to_json writes it), in *json (malloc'd,
 * NUL-terminated) and *json_length. document and json must not be NULL; json_length may be. */
TOLVEX_API int tolvex_document_json(const tolvex_document* document, char** json, size_t* json_length);

/* Every finding of a document (XML, the JSON form or an encoded text, length bytes, not
 * necessarily NUL-terminated) as one JSON object in *report_json (malloc'd, NUL-terminated) and
 * *report_length: {"valid": bool, "diagnostics": [{"severity", "rule", "path", "line", "column",
 * "value", "message", "errorLine"}]}, errors first. A document with findings is no failure: the
 * call returns 0 and the report says what was found. document and report_json must not be NULL;
 * report_length may be. */
TOLVEX_API int tolvex_check(const char* document, size_t length, char** report_json, size_t* report_length);

/* Releases a document; NULL is allowed. A pointer that is not a live document from this library
 * is ignored where that can be seen. */
TOLVEX_API void tolvex_document_free(tolvex_document* document);

/* Logo placement (rotation) and colour (variation) indices. */
enum { TOLVEX_LOGO_BOTTOM = 0, TOLVEX_LOGO_TOP = 1, TOLVEX_LOGO_LEFT = 2, TOLVEX_LOGO_RIGHT = 3 };
enum { TOLVEX_LOGO_DARK = 0, TOLVEX_LOGO_MEDIUM = 1, TOLVEX_LOGO_LIGHT = 2, TOLVEX_LOGO_GRAY = 3 };

/* Picture formats. */
enum { TOLVEX_FORMAT_PNG = 0, TOLVEX_FORMAT_SVG = 1, TOLVEX_FORMAT_PDF = 2 };

/* The plain QR code of a NUL-terminated text as a file in the format (TOLVEX_FORMAT_...); size is
 * the side in pixels (points in PDF, pixels in SVG), 0 giving one pixel a module. A file of that
 * name is replaced only once the new one is complete. Returns TOLVEX_ERROR_QR for a text no code
 * holds, TOLVEX_ERROR_ILLEGAL_ARGUMENT for an unknown format, TOLVEX_ERROR_IO when the picture
 * cannot be made (a side below 1 or above 32767) or written. */
TOLVEX_API int tolvex_qr_write_file(const char* text, int32_t size, int32_t format, const char* file_name);

/* The QR code of an encoded text composed into the logo picture of its document family, as a
 * file in the format. The logo directory is put in front of the picture's file name as it is:
 * end it with "/". Adds the codes of the logo: TOLVEX_ERROR_MISSING_LOGO, and
 * TOLVEX_ERROR_ILLEGAL_ARGUMENT for a rotation or variation outside the four. */
TOLVEX_API int tolvex_qr_logo_write_file(const char* text, int32_t rotation, int32_t variation, int32_t frame,
                                         const char* logo_directory, int32_t format, const char* file_name);

/* The same pictures as the bytes of the file in memory: *data (malloc'd, released by the caller
 * with tolvex_free) holds *data_size bytes, exactly those the file entry writes (SVG: up to the
 * numbers in element ids, which cairo counts over the whole process). data must not be
 * NULL (TOLVEX_ERROR_NULL_POINTER); data_size may be. Nothing is handed out on failure. */
TOLVEX_API int tolvex_qr_write_memory(const char* text, int32_t size, int32_t format, unsigned char** data,
                                      int32_t* data_size);
TOLVEX_API int tolvex_qr_logo_write_memory(const char* text, int32_t rotation, int32_t variation,
                                           int32_t frame, const char* logo_directory, int32_t format,
                                           unsigned char** data, int32_t* data_size);

/* The PNG entries, as before the other formats came. */
TOLVEX_API int tolvex_qr_write_png_file(const char* text, int32_t size, const char* file_name);
TOLVEX_API int tolvex_qr_logo_write_png_file(const char* text, int32_t rotation, int32_t variation,
                                             int32_t frame, const char* logo_directory,
                                             const char* file_name);
TOLVEX_API int tolvex_qr_write_png_memory(const char* text, int32_t size, unsigned char** data,
                                          int32_t* data_size);
TOLVEX_API int tolvex_qr_logo_write_png_memory(const char* text, int32_t rotation, int32_t variation,
                                               int32_t frame, const char* logo_directory,
                                               unsigned char** data, int32_t* data_size);

/* Pictures for print: every option of a picture in one record. Start from
 * tolvex_print_options_init, which gives the plain code as compact vector files with the
 * document's summary as its texts, then change what is wanted. Lengths are in millimetres. */
typedef struct tolvex_print_options {
  int32_t format;           /* TOLVEX_FORMAT_... */
  int32_t size;             /* side in pixels, 0: from module_size, else one pixel a module */
  int32_t module_size;      /* whole pixels a module, 0: none asked (at most 100) */
  int32_t margin;           /* quiet zone in modules, 4 to 100 */
  int32_t dpi;              /* PNG resolution; 0: none recorded */
  int32_t level;            /* error correction 0 L, 1 M, 2 Q, 3 H */
  int32_t boost_level;      /* nonzero: the highest level of the same version */
  double physical_size;     /* width on paper, 0: none */
  int32_t paper;            /* -1 none (a page of the picture's size), 0 A4, 1 A5, 2 A6, 3 letter */
  int32_t position;         /* 0-8 top-left, top, top-right, left, centre, right, bottom-left,
                               bottom, bottom-right; -1: at (at_x, at_y) from the top-left corner */
  double at_x;
  double at_y;
  double page_margin;       /* around the positions, default 10 */
  int32_t compact;          /* nonzero: the compact SVG and PDF of the plain code */
  int32_t describe;         /* nonzero: title and description from the decoded document's summary */
  const char* logo_directory; /* NULL: the plain code; else the logo pictures' directory, ending in "/" */
  int32_t rotation;
  int32_t variation;
  int32_t frame;
} tolvex_print_options;

/* The defaults: PNG, one pixel a module, margin 4, level L, no paper, compact, described, plain. */
TOLVEX_API void tolvex_print_options_init(tolvex_print_options* options);

/* The picture of an encoded text with the options, as a file (replaced once complete) or as the
 * bytes of one (*data malloc'd, released with tolvex_free). Adds to the failures of the entries
 * above TOLVEX_ERROR_ILLEGAL_ARGUMENT for an option outside its range or a picture that does not
 * fit on its paper; with describe, a text that does not decode fails as decoding it does.
 * options must not be NULL. */
TOLVEX_API int tolvex_print_write_file(const char* text, const tolvex_print_options* options, const char* file_name);
/* The picture placed onto page (1 the first, 0 the last) of the PDF input, written to output
 * (replaced once complete; it may be input), everything else of the PDF kept. The options' format
 * and paper are not looked at; position (or at, with position -1) and page_margin place it on
 * that page as on paper; a physical size of 0 gives 30 mm. A PDF that cannot be read is TOLVEX_ERROR_IO, an encrypted
 * one, a page it does not have or a place off the page TOLVEX_ERROR_ILLEGAL_ARGUMENT. */
TOLVEX_API int tolvex_stamp_pdf(const char* text, const tolvex_print_options* options, int32_t page,
                                const char* input, const char* output);
TOLVEX_API int tolvex_print_write_memory(const char* text, const tolvex_print_options* options,
                                         unsigned char** data, int32_t* data_size);

/* Settings of the calling thread: background colour (0 to 1 each, default opaque white) of every
 * picture and cairo image format (default CAIRO_FORMAT_ARGB32 = 0) of every PNG picture. */
TOLVEX_API void tolvex_render_set_background(double red, double green, double blue, double alpha);
TOLVEX_API void tolvex_render_set_format(int32_t cairo_format);

/* A per-thread cache of decoded logo pictures, limited by bytes of PNG files; 0 turns it off. */
TOLVEX_API void tolvex_logo_cache_set_budget(int32_t bytes);
TOLVEX_API void tolvex_logo_cache_free(void);

/* The longest text the encoder accepts, per thread (default 550 bytes). */
TOLVEX_API uint32_t tolvex_sequence_limit(void);
TOLVEX_API void tolvex_set_sequence_limit(uint32_t bytes);

/* One QR code found in a picture or PDF document. */
typedef struct tolvex_scanned_code {
  char* text;         /* the code's content as UTF-8 text, NUL-terminated; never NULL */
  size_t text_length; /* its length in bytes */
  int32_t page;       /* the PDF page it was found on, from 1; 1 for a picture */
  int32_t tolvex;     /* 1 when the text unpacks as a tolvex container, else 0 */
  int32_t status;     /* 0 when the text decoded into a document; else the error code of decoding
                         a tolvex code, or TOLVEX_ERROR_BAD_FORMAT for any other code */
  char* xml;          /* the document's XML when status is 0, else NULL */
  size_t xml_length;  /* its length in bytes, 0 when xml is NULL */
  char* error_line;   /* NULL when status is 0; else the error line of decoding, or for a code that
                         is not a tolvex code "ERROR_BAD_FORMAT: Not a tolvex code. " and what it
                         holds */
} tolvex_scanned_code;

/* Reads the QR codes of a PNG or JPEG picture, or of every page of a PDF document, from memory
 * or from a file. On success *codes is an array of *count codes, in page and reading order, and
 * the caller releases it with tolvex_scanned_codes_free; no code found gives *count 0 and *codes
 * NULL. A file that is not PNG, JPEG or PDF, or beyond the limits (a picture above 64 megapixels,
 * more than 100 PDF pages, a page too large to render at 150 dpi within 8000 pixels a side, a
 * file above 128 MiB), fails with TOLVEX_ERROR_ILLEGAL_ARGUMENT; an unreadable one with
 * TOLVEX_ERROR_IO. On failure nothing is handed out. */
TOLVEX_API int tolvex_scan_memory(const unsigned char* data, size_t size, tolvex_scanned_code** codes,
                                  size_t* count);
TOLVEX_API int tolvex_scan_file(const char* file_name, tolvex_scanned_code** codes, size_t* count);

/* Releases an array handed out by tolvex_scan_memory or tolvex_scan_file, with every text in it;
 * NULL is allowed. */
TOLVEX_API void tolvex_scanned_codes_free(tolvex_scanned_code* codes, size_t count);

#ifdef __cplusplus
}
#endif

#endif /* TOLVEX_TOLVEX_H */
