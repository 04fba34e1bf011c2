/* Uses the installed tolvex library: an XML document in, its encoded text, its QR code with logo
 * as a PNG and, for print, as a PDF beside it (code.png.pdf); then the PNG read back, and one
 * amount the library computed, read from the document the code holds.
 *
 *   cc encode_and_draw.c $(pkg-config --cflags --libs tolvex) -o encode_and_draw
 *   ./encode_and_draw invoice.xml "$(pkg-config --variable=logodir tolvex)" code.png
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tolvex/tolvex.h>

static int fail(int code) {
  char* line = tolvex_error_line();
  fprintf(stderr, "%s\n", line ? line : "out of memory");
  tolvex_free(line);
  return code < 0 ? 256 + code : code;
}

static char* read_all(const char* path, size_t* length) {
  FILE* file = fopen(path, "rb");
  char* text = NULL;
  long size = -1;
  if (file && fseek(file, 0, SEEK_END) == 0 && (size = ftell(file)) >= 0 && fseek(file, 0, SEEK_SET) == 0)
    text = malloc((size_t)size + 1);
  if (text && fread(text, 1, (size_t)size, file) != (size_t)size) {
    free(text);
    text = NULL;
  }
  if (file) fclose(file);
  *length = (size_t)size;
  return text;
}

static int write_all(const char* path, const unsigned char* data, size_t size) {
  FILE* file = fopen(path, "wb");
  int written = file && fwrite(data, 1, size, file) == size;
  if (file && fclose(file) != 0) written = 0;
  return written;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s document.xml logo-directory/ output.png\n", argv[0]);
    return 2;
  }
  size_t xml_length = 0;
  char* xml = read_all(argv[1], &xml_length);
  if (!xml) {
    perror(argv[1]);
    return 2;
  }
  char* text = NULL;
  int code = tolvex_encode_xml(xml, xml_length, &text, NULL);
  free(xml);
  if (code) return fail(code);
  printf("%s\n", text);

  /* The picture in memory, here written to a file; the PDF straight into one. */
  unsigned char* png = NULL;
  int32_t png_size = 0;
  code = tolvex_qr_logo_write_memory(text, TOLVEX_LOGO_BOTTOM, TOLVEX_LOGO_DARK, 1, argv[2], TOLVEX_FORMAT_PNG,
                                     &png, &png_size);
  if (code) return fail(code);
  char pdf_name[4096];
  snprintf(pdf_name, sizeof pdf_name, "%s.pdf", argv[3]);
  code = tolvex_qr_logo_write_file(text, TOLVEX_LOGO_BOTTOM, TOLVEX_LOGO_DARK, 1, argv[2], TOLVEX_FORMAT_PDF,
                                   pdf_name);
  if (code) return fail(code);
  if (!write_all(argv[3], png, (size_t)png_size)) {
    perror(argv[3]);
    return 1;
  }

  /* Reading the picture back gives the text, and the text the document. */
  tolvex_scanned_code* codes = NULL;
  size_t count = 0;
  code = tolvex_scan_memory(png, (size_t)png_size, &codes, &count);
  tolvex_free(png);
  if (code) return fail(code);
  int same = count == 1 && strcmp(codes[0].text, text) == 0;
  printf("read back from %s: %s\n", argv[3], same ? "the same text" : "a different result");
  tolvex_document* document = NULL;
  code = tolvex_decode_document(text, strlen(text), &document);
  tolvex_free(text);
  tolvex_scanned_codes_free(codes, count);
  if (code) return fail(code);

  char* decoded = NULL;
  char* amount = NULL;
  code = tolvex_xml_write_document(document, &decoded, NULL);
  if (!code) code = tolvex_document_value(document, "MonetarySummary/PayableAmount", &amount);
  tolvex_document_free(document);
  if (code) return fail(code);
  printf("%s\nPayableAmount: %s\n", decoded, amount ? amount : "(none)");
  tolvex_free(decoded);
  tolvex_free(amount);
  return same ? 0 : 1;
}
