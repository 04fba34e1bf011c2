// Reads a PNG with cairo and writes the same picture with cairo's own PNG writer, so that the
// size of a file from our writer can be set against what cairo gives for the same picture.
#include <cairo.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: cairo_rewrite IN.png OUT.png\n");
    return 2;
  }
  cairo_surface_t* surface = cairo_image_surface_create_from_png(argv[1]);
  const cairo_status_t status = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS
                                    ? cairo_surface_write_to_png(surface, argv[2])
                                    : cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "cairo_rewrite: %s\n", cairo_status_to_string(status));
    return 1;
  }
  return 0;
}
