/* Uses the installed tolvex library: an XML document in, its QR code with logo out as a PNG and,
 * for print, as a PDF beside it (code.png.pdf), the document decoded back from the encoded text,
 * and the picture read back.
 *
 *   cc encode_and_draw.c $(pkg-config --cflags --libs tolvex) -o encode_and_draw
 *   ./encode_and_draw document.xml "$(pkg-config --variable=logodir tolvex)" code.png
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
  if (!file) return NULL;
  size_t capacity = 4096, used = 0;
  char* text = malloc(capacity);
  size_t n;
  while (text && (n = fread(text + used, 1, capacity - used, file)) > 0) {
    used += n;
    if (used == capacity) {
      char* bigger = realloc(text, capacity *= 2);
      if (!bigger) free(text);
      text = bigger;
    }
  }
  fclose(file);
  *length = used;
  return text;
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

  code = tolvex_qr_logo_write_png_file(text, TOLVEX_LOGO_BOTTOM, TOLVEX_LOGO_DARK, 1, argv[2], argv[3]);
  if (code) return fail(code);

  /* The same picture as PDF, through memory: the bytes are those the file entry would write. */
  unsigned char* pdf = NULL;
  int32_t pdf_size = 0;
  code = tolvex_qr_logo_write_memory(text, TOLVEX_LOGO_BOTTOM, TOLVEX_LOGO_DARK, 1, argv[2],
                                     TOLVEX_FORMAT_PDF, &pdf, &pdf_size);
  if (code) return fail(code);
  char* pdf_name = malloc(strlen(argv[3]) + 5);
  FILE* pdf_file = pdf_name ? fopen(strcat(strcpy(pdf_name, argv[3]), ".pdf"), "wb") : NULL;
  int written = pdf_file && fwrite(pdf, 1, (size_t)pdf_size, pdf_file) == (size_t)pdf_size;
  if (pdf_file && fclose(pdf_file) != 0) written = 0;
  free(pdf_name);
  tolvex_free(pdf);
  if (!written) {
    fprintf(stderr, "cannot write the PDF\n");
    return 1;
  }

  char* decoded = NULL;
  size_t decoded_length = 0;
  code = tolvex_decode_to_xml(text, strlen(text), &decoded, &decoded_length);
  tolvex_free(text);
  if (code) return fail(code);
  printf("%s\n", decoded);

  /* Reading the picture back gives the same document. */
  tolvex_scanned_code* codes = NULL;
  size_t count = 0;
  code = tolvex_scan_file(argv[3], &codes, &count);
  if (code) {
    tolvex_free(decoded);
    return fail(code);
  }
  int same = count == 1 && codes[0].status == 0 && strcmp(codes[0].xml, decoded) == 0;
  printf("read back from %s: %s\n", argv[3], same ? "the same document" : "a different result");
  tolvex_scanned_codes_free(codes, count);
  tolvex_free(decoded);
  return same ? 0 : 1;
}
