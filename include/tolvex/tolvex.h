/* tolvex: payment orders and invoices as QR codes.
 *
 * The C interface of the tolvex library. Every function that can fail returns 0 on success or
 * an error code (-3 to 11); tolvex_error_line() then describes the failure of the calling
 * thread's last failed call. Texts and buffers handed out are allocated with malloc and are
 * released by the caller with tolvex_free (or free).
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

/* Error codes. */
#define TOLVEX_ERROR_IO (-3)
#define TOLVEX_ERROR_NULL_POINTER (-2)
#define TOLVEX_ERROR_ILLEGAL_ARGUMENT (-1)
#define TOLVEX_ERROR_BASE32HEX 1
#define TOLVEX_ERROR_CHECKSUM 2
#define TOLVEX_ERROR_COMPRESSION 3
#define TOLVEX_ERROR_INVALID_VALUE 4
#define TOLVEX_ERROR_BAD_FORMAT 5
#define TOLVEX_ERROR_SEQUENCE_LIMIT_EXCEEDED 7
#define TOLVEX_ERROR_UNKNOWN_DOCUMENT 8
#define TOLVEX_ERROR_XML 9
#define TOLVEX_ERROR_MISSING_LOGO 10
#define TOLVEX_ERROR_QR 11

/* Logo placement (rotation) and colour (variation) indices. */
enum { TOLVEX_LOGO_BOTTOM = 0, TOLVEX_LOGO_TOP = 1, TOLVEX_LOGO_LEFT = 2, TOLVEX_LOGO_RIGHT = 3 };
enum { TOLVEX_LOGO_DARK = 0, TOLVEX_LOGO_MEDIUM = 1, TOLVEX_LOGO_LIGHT = 2, TOLVEX_LOGO_GRAY = 3 };

/* Reads, validates and encodes an XML document into its base32hex text (*text, NUL-terminated;
 * *text_length may be NULL). */
TOLVEX_API int tolvex_encode_xml(const char* xml, size_t xml_length, char** text, size_t* text_length);

/* Decodes a base32hex text into the XML of its document, computed amounts included. */
TOLVEX_API int tolvex_decode_to_xml(const char* text, size_t text_length, char** xml, size_t* xml_length);

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

/* The error line of the calling thread's last failure, as the command-line tool prints it. */
TOLVEX_API char* tolvex_error_line(void);

/* Releases a text or buffer handed out by this library. */
TOLVEX_API void tolvex_free(void* pointer);

#ifdef __cplusplus
}
#endif

#endif /* TOLVEX_TOLVEX_H */
