// A logo as SVG and PDF output use it, prepared once per logo file: its SVG twin as an element to
// place into our own SVG, and the twin's drawing recorded for cairo's vector surfaces; without a
// usable twin, the PNG itself as a data URI.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "image/cairo_ptr.h"

namespace tolvex {

// The largest twin read; a larger one is passed over for the PNG.
inline constexpr std::size_t kLargestLogoTwin = 4 << 20;

struct VectorLogo {
  // The element as written, split where its placement (x, y, width, height) goes: "<svg" or
  // "<image", then the rest of it. Ids in a twin are prefixed with a hash of its bytes, so that
  // two codes with different logos on one web page cannot take each other's glyphs.
  std::string svgOpen;
  std::string svgRest;
  // The twin drawn at the PNG's size, for cairo's PDF and SVG surfaces; none without a twin.
  SurfacePtr drawing;
  // The twin as the content of a PDF form XObject of the PNG's size (its BBox), for our own PDF
  // writer: the content stream as cairo wrote it, and its resources, which name no other object.
  // Absent when the drawing needs more (fonts, images, patterns) or there is no twin.
  struct PdfForm {
    std::string stream;
    bool deflated = false;
    std::string resources;
  };
  std::optional<PdfForm> pdfForm;
};

// The vector logo of the PNG at pngPath, of width x height pixels, from the twin beside it (the
// same name ending in .svg). A twin is used when it is an SVG document without a DTD, scripts or
// style sheets, has a viewBox or a width and height in pixels, and librsvg draws it; else the
// PNG's bytes are embedded. nullptr when neither can be read.
[[nodiscard]] std::shared_ptr<const VectorLogo> vector_logo_prepare(const std::string& pngPath, int width,
                                                                    int height);

}  // namespace tolvex
