// Files that hold our own codes, for the tests that read them back: PNG and JPEG pictures, and
// PDF pages where codes stand at print size among the text and rules of an invoice page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/cairo_ptr.h"
#include "scan/gray_image.h"

namespace tolvex::test {

using Bytes = std::vector<std::uint8_t>;

// The plain picture of a text, pixelsPerModule pixels a module (0: one pixel a module).
[[nodiscard]] SurfacePtr plain_code(const std::string& text, int pixelsPerModule);

// The logo composition of an encoded text, from the repository's logo pictures.
[[nodiscard]] SurfacePtr logo_code(const std::string& text, int rotation, int variation, bool frame);

[[nodiscard]] Bytes png_of(cairo_surface_t* surface);
[[nodiscard]] Bytes jpeg_of(cairo_surface_t* surface, int quality);

// A code placed on a page: its picture, the corner and the width of the picture in millimetres.
// An embedded image, or with vector, drawn as one filled path of a square for each dark pixel,
// as a program that draws its codes writes them (the picture then has one pixel a module).
struct Placement {
  cairo_surface_t* picture = nullptr;
  double x = 0;
  double y = 0;
  double width = 40;
  bool vector = false;
};

// A PDF document of A4 pages, each with a heading, lines of text and a table drawn around the
// codes placed on it.
[[nodiscard]] Bytes pdf_of(const std::vector<std::vector<Placement>>& pages);

// A PDF document written out by hand, without cairo: the objects in order (object 1 the
// catalogue), the cross-reference table and trailer computed.
[[nodiscard]] Bytes pdf_of_objects(const std::vector<std::string>& objects);

// count empty pages of width x height points each, every one its own object.
[[nodiscard]] Bytes blank_pdf(int count, double width, double height);

// The encoded text of an example document (examples/<name>).
[[nodiscard]] std::string example_text(const std::string& name);

// The names of the example documents, sorted.
[[nodiscard]] std::vector<std::string> example_names();

}  // namespace tolvex::test
