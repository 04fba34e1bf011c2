#include "support/family_of.h"
#include "scan/pictures.h"

#include <cairo-pdf.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "image/logo_compose.h"
#include "image/render.h"
#include "qr/qr_encode.h"
#include "support/process.h"
#include "tolvex/encode.hpp"

namespace tolvex::test {
namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;
constexpr double kA4Width = 595.28;
constexpr double kA4Height = 841.89;

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<Bytes*>(closure)->insert(static_cast<Bytes*>(closure)->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

SurfacePtr checked(SurfacePtr surface) {
  if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("no picture: " + error_line());
  }
  return surface;
}

// What surrounds the codes on an invoice page: a heading, address lines, a table with rules.
void draw_invoice_page(cairo_t* page) {
  cairo_set_source_rgb(page, 0, 0, 0);
  cairo_select_font_face(page, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(page, 20);
  cairo_move_to(page, 50, 60);
  cairo_show_text(page, "INVOICE 2026010087");
  cairo_select_font_face(page, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(page, 10);
  const char* lines[] = {"Strojirny Hradec s.r.o., Prumyslova 1480/7, 50002 Hradec Kralove",
                         "Alpen Technik GmbH, ATU57219834", "Issue date 2026-02-03, due 2026-03-16"};
  double y = 90;
  for (const char* line : lines) {
    cairo_move_to(page, 50, y);
    cairo_show_text(page, line);
    y += 14;
  }
  cairo_set_line_width(page, 0.8);
  for (int row = 0; row <= 6; ++row) {
    cairo_move_to(page, 50, 150 + 18 * row);
    cairo_line_to(page, 545, 150 + 18 * row);
  }
  for (const double x : {50.0, 300.0, 380.0, 460.0, 545.0}) {
    cairo_move_to(page, x, 150);
    cairo_line_to(page, x, 258);
  }
  cairo_stroke(page);
  cairo_move_to(page, 50, 800);
  cairo_show_text(page, "Pay by scanning the code with your banking app.");
}

// The picture's dark pixels as unit squares in one black fill, in the context's current space.
void fill_dark_pixels(cairo_t* context, cairo_surface_t* picture) {
  cairo_surface_flush(picture);
  const unsigned char* data = cairo_image_surface_get_data(picture);
  const int stride = cairo_image_surface_get_stride(picture);
  for (int y = 0; y < cairo_image_surface_get_height(picture); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < cairo_image_surface_get_width(picture); ++x) {
      if ((row[x] & 0xFF) < 128) cairo_rectangle(context, x, y, 1, 1);
    }
  }
  cairo_set_source_rgb(context, 0, 0, 0);
  cairo_fill(context);
}

}  // namespace

SurfacePtr plain_code(const std::string& text, int pixelsPerModule) {
  const int modules = qr_encode(text)->width() + 8;
  SurfacePtr surface;
  if (qr_render_surface(text.c_str(), pixelsPerModule * modules, &surface) != ERROR_OK) {
    throw std::runtime_error(error_line());
  }
  return checked(std::move(surface));
}

SurfacePtr logo_code(const std::string& text, int rotation, int variation, bool frame) {
  SurfacePtr surface;
  if (qr_logo_render_surface(text.c_str(), test::family_of(text.c_str()), static_cast<LogoRotation>(rotation),
                             static_cast<LogoVariation>(variation), frame, TOLVEX_SOURCE_DIR "/logo/",
                             &surface) != ERROR_OK) {
    throw std::runtime_error(error_line());
  }
  return checked(std::move(surface));
}

Bytes png_of(cairo_surface_t* surface) {
  Bytes png;
  if (cairo_surface_write_to_png_stream(surface, append, &png) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot write PNG");
  }
  return png;
}

Bytes jpeg_of(cairo_surface_t* surface, int quality) {
  cairo_surface_flush(surface);
  const std::unique_ptr<void, int (*)(tjhandle)> encoder(tjInitCompress(), tjDestroy);
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  // Cairo's ARGB32 is native-endian 32-bit: B, G, R, A in memory on this little-endian machine.
  if (tjCompress2(encoder.get(), cairo_image_surface_get_data(surface),
                  cairo_image_surface_get_width(surface), cairo_image_surface_get_stride(surface),
                  cairo_image_surface_get_height(surface), TJPF_BGRX, &jpeg, &size, TJSAMP_420, quality,
                  0) != 0) {
    throw std::runtime_error("cannot write JPEG");
  }
  Bytes bytes(jpeg, jpeg + size);
  tjFree(jpeg);
  return bytes;
}

Bytes pdf_of(const std::vector<std::vector<Placement>>& pages) {
  Bytes pdf;
  SurfacePtr document(cairo_pdf_surface_create_for_stream(append, &pdf, kA4Width, kA4Height));
  const ContextPtr page(cairo_create(document.get()));
  for (const std::vector<Placement>& placements : pages) {
    draw_invoice_page(page.get());
    for (const Placement& placement : placements) {
      const double scale =
          placement.width * kPointsPerMillimetre / cairo_image_surface_get_width(placement.picture);
      cairo_save(page.get());
      cairo_translate(page.get(), placement.x * kPointsPerMillimetre, placement.y * kPointsPerMillimetre);
      cairo_scale(page.get(), scale, scale);
      if (placement.vector) {
        fill_dark_pixels(page.get(), placement.picture);
      } else {
        cairo_set_source_surface(page.get(), placement.picture, 0, 0);
        // Modules stay sharp squares, as a printing program embeds a code.
        cairo_pattern_set_filter(cairo_get_source(page.get()), CAIRO_FILTER_NEAREST);
        cairo_paint(page.get());
      }
      cairo_restore(page.get());
    }
    cairo_show_page(page.get());
  }
  cairo_surface_finish(document.get());
  if (cairo_surface_status(document.get()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot write PDF");
  return pdf;
}

Bytes pdf_of_objects(const std::vector<std::string>& objects) {
  std::string pdf = "%PDF-1.5\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return Bytes(pdf.begin(), pdf.end());
}

Bytes blank_pdf(int count, double width, double height) {
  std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>"};
  std::string kids;
  for (int i = 0; i < count; ++i) kids += std::to_string(3 + i) + " 0 R ";
  objects.push_back("<< /Type /Pages /Count " + std::to_string(count) + " /Kids [" + kids + "] >>");
  char box[96];
  std::snprintf(box, sizeof box, "[0 0 %.2f %.2f]", width, height);
  for (int i = 0; i < count; ++i)
    objects.push_back(std::string("<< /Type /Page /Parent 2 0 R /MediaBox ") + box + " >>");
  return pdf_of_objects(objects);
}

std::string example_text(const std::string& name) {
  const std::string xml = read_file(TOLVEX_SOURCE_DIR "/examples/" + name);
  Result<std::string> text = encode_xml(xml);
  if (!text) throw std::runtime_error(text.error().line);
  return std::move(*text);
}

std::vector<std::string> example_names() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(TOLVEX_SOURCE_DIR "/examples")) {
    if (entry.path().extension() == ".xml") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tolvex::test
