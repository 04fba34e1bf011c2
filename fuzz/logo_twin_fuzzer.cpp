// Arbitrary bytes as the SVG twin beside a logo's PNG, prepared as SVG and PDF output use it:
// the twin is placed as an <svg> element that carries no script, style sheet or DTD, with every id
// prefixed, or else the PNG is embedded; either way a logo comes back.
#include <cairo.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/cairo_ptr.h"
#include "image/vector_logo.h"
#include "require.h"

using namespace tolvex;
using tolvex::fuzz::require;

namespace {

constexpr int kWidth = 62;
constexpr int kHeight = 76;

// A directory of this process with a small opaque PNG in it, made once.
const std::string& png_path() {
  static const std::string path = [] {
    char directory[] = "/tmp/tolvex-fuzz-twin-XXXXXX";
    require(mkdtemp(directory) != nullptr, "a directory for the logo");
    const std::string png = std::string(directory) + "/logo.png";
    const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight));
    require(cairo_surface_write_to_png(surface.get(), png.c_str()) == CAIRO_STATUS_SUCCESS, "the logo's PNG");
    return png;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& png = png_path();
  const std::string twin = png.substr(0, png.size() - 4) + ".svg";
  std::FILE* file = std::fopen(twin.c_str(), "wb");
  require(file != nullptr, "the twin is written");
  require(std::fwrite(data, 1, size, file) == size, "the twin is written whole");
  std::fclose(file);
  const auto logo = vector_logo_prepare(png, kWidth, kHeight);
  require(logo != nullptr, "a logo whose PNG is there always comes back");
  if (logo->svgOpen == "<image") {
    require(!logo->drawing && !logo->pdfForm, "an embedded PNG has no drawing");
    require(logo->svgRest.starts_with(" href=\"data:image/png;base64,"), "the PNG as a data URI");
    return 0;
  }
  require(logo->svgOpen.ends_with("svg") && logo->drawing != nullptr, "a twin is an svg element with its drawing");
  for (const char* refused : {"<script", "<style", "<!DOCTYPE", "<!ENTITY"}) {
    require(logo->svgRest.find(refused) == std::string::npos, "no script, style sheet or DTD");
  }
  // Serialised values have their quotes escaped: name=" opens an attribute.
  const std::string start = logo->svgRest.substr(0, logo->svgRest.find('>'));
  for (const char* placement : {" x=\"", " y=\"", " width=\"", " height=\""}) {
    require(start.find(placement) == std::string::npos, "the root's own placement gives way to ours");
  }
  require(start.find(" viewBox=\"") != std::string::npos, "a twin has a viewBox");
  if (logo->pdfForm) {
    require(logo->pdfForm->resources.starts_with("<<"), "the form's resources are a dictionary");
  }
  return 0;
}
