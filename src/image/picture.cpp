#include "image/picture.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <cmath>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "image/logo_cache.h"
#include "image/png_compose.h"
#include "image/png_encode.h"
#include "image/render.h"
#include "image/vector_print.h"

namespace tolvex {
namespace {

// The largest side cairo gives an image surface; vector pictures keep to it too, so that
// every format takes the same pictures.
constexpr int kMaximumSide = 32767;

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length) {
  try {
    static_cast<std::vector<std::uint8_t>*>(closure)->insert(
        static_cast<std::vector<std::uint8_t>*>(closure)->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

SurfacePtr vector_surface(ImageFormat format, const Picture& picture, const PageGeometry& page,
                          std::vector<std::uint8_t>* bytes) {
  if (format == ImageFormat::svg) {
    SurfacePtr surface(cairo_svg_surface_create_for_stream(append_bytes, bytes, page.pageWidth, page.pageHeight));
    // One picture pixel is one SVG pixel, so the document has the picture's size; a physical
    // size is written in points.
    cairo_svg_surface_set_document_unit(surface.get(),
                                        picture.print.physicalSize ? CAIRO_SVG_UNIT_PT : CAIRO_SVG_UNIT_PX);
    return surface;
  }
  SurfacePtr surface(cairo_pdf_surface_create_for_stream(append_bytes, bytes, page.pageWidth, page.pageHeight));
  // An empty creation date leaves it out: the same picture always gives the same file.
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE, "");
  if (picture.print.title) cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, picture.print.title->c_str());
  if (picture.print.description) {
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_SUBJECT, picture.print.description->c_str());
  }
  return surface;
}

cairo_status_t encode_vector(const Picture& picture, ImageFormat format, std::vector<std::uint8_t>* bytes,
                             cairo_surface_t* logoDrawing) {
  std::optional<PageGeometry> page = page_geometry(picture);
  if (!page) return CAIRO_STATUS_INVALID_SIZE;
  // SVG has no paper: the document is the picture.
  if (format == ImageFormat::svg) page = PageGeometry{page->width, page->height, 0, 0, page->width, page->height};
  SurfacePtr surface = vector_surface(format, picture, *page, bytes);
  if (const cairo_status_t status = cairo_surface_status(surface.get()); status != CAIRO_STATUS_SUCCESS)
    return status;
  {
    const ContextPtr context(cairo_create(surface.get()));
    cairo_translate(context.get(), page->x, page->y);
    cairo_scale(context.get(), page->width / picture.width, page->height / picture.height);
    picture_draw(picture, context.get(), logoDrawing);
    if (const cairo_status_t status = cairo_status(context.get()); status != CAIRO_STATUS_SUCCESS)
      return status;
  }
  cairo_surface_finish(surface.get());
  return cairo_surface_status(surface.get());
}

// An opaque logo at whole pixels over the whole picture (the framed layouts) hides the
// background entirely: painting over it gives the logo's pixels whatever lies beneath.
bool logo_covers_picture(const Picture& picture) {
  if (!picture.logo || cairo_surface_get_content(picture.logo.get()) != CAIRO_CONTENT_COLOR) return false;
  const double width = cairo_image_surface_get_width(picture.logo.get());
  const double height = cairo_image_surface_get_height(picture.logo.get());
  return picture.logoX == 0 && picture.logoY == 0 && width >= picture.width && height >= picture.height;
}

// A resolution asked for, else the one that prints a picture at its physical size.
std::uint32_t pixels_per_metre(const Picture& picture) {
  constexpr double kInchesPerMetre = 1 / 0.0254;
  if (picture.print.dpi > 0) return static_cast<std::uint32_t>(std::lround(picture.print.dpi * kInchesPerMetre));
  if (!picture.print.physicalSize || picture.width <= 0) return 0;
  const double inches = points_of(*picture.print.physicalSize) / 72.0;
  return inches > 0 ? static_cast<std::uint32_t>(std::lround(picture.width / inches * kInchesPerMetre)) : 0;
}

cairo_status_t encode_compact(const Picture& picture, ImageFormat format, std::vector<std::uint8_t>* bytes) {
  if (picture.width <= 0 || picture.height <= 0) return CAIRO_STATUS_INVALID_SIZE;
  std::string file;
  if (format == ImageFormat::svg) {
    file = svg_compact(picture);
  } else if (std::optional<std::string> pdf = pdf_compact(picture)) {
    file = std::move(*pdf);
  } else {
    return CAIRO_STATUS_INVALID_SIZE;
  }
  bytes->assign(file.begin(), file.end());
  return CAIRO_STATUS_SUCCESS;
}

// The logo picture for print by the compact writers, with the logo's vectors prepared once: PDF
// through cairo only when the twin's drawing needs more than one self-contained form; a logo
// whose files have gone since it was composed keeps its PNG, through cairo.
cairo_status_t encode_logo_print(const Picture& picture, ImageFormat format, std::vector<std::uint8_t>* bytes) {
  const std::shared_ptr<const VectorLogo> logo = logo_cache_vector(
      picture.logoPath, cairo_image_surface_get_width(picture.logo.get()), cairo_image_surface_get_height(picture.logo.get()));
  if (!logo) return encode_vector(picture, format, bytes, nullptr);
  const bool background = !logo_covers_picture(picture);
  std::optional<std::string> file;
  if (format == ImageFormat::pdf) {
    if (!logo->pdfForm) return encode_vector(picture, format, bytes, logo->drawing.get());
    file = pdf_compact(picture, &*logo->pdfForm, background);
  } else if (page_geometry(picture)) {
    file = svg_logo_compact(picture, *logo, background);
  }
  if (!file) return CAIRO_STATUS_INVALID_SIZE;
  bytes->assign(file->begin(), file->end());
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

RenderSettings render_settings_of(const PictureOptions& options) {
  const Colour& colour = options.background;
  return {colour.red, colour.green, colour.blue, colour.alpha, static_cast<cairo_format_t>(options.pixelFormat)};
}

void picture_draw_base(const Picture& picture, cairo_t* context, cairo_surface_t* logoDrawing) {
  const RenderSettings& settings = picture.render;
  cairo_save(context);
  if (!logo_covers_picture(picture)) {
    cairo_set_source_rgba(context, settings.red, settings.green, settings.blue, settings.alpha);
    cairo_rectangle(context, 0, 0, picture.width, picture.height);
    cairo_fill(context);
  }
  if (picture.logo) {
    cairo_set_source_surface(context, logoDrawing != nullptr ? logoDrawing : picture.logo.get(), picture.logoX,
                             picture.logoY);
    cairo_paint(context);
  }
  cairo_restore(context);
}

void picture_draw(const Picture& picture, cairo_t* context, cairo_surface_t* logoDrawing) {
  picture_draw_base(picture, context, logoDrawing);
  cairo_save(context);
  cairo_translate(context, picture.boxX, picture.boxY);
  qr_draw_modules(context, picture.symbol, picture.boxSide, picture.margin);
  cairo_restore(context);
}

SurfacePtr picture_render_surface(const Picture& picture) {
  SurfacePtr surface(cairo_image_surface_create(picture.render.format, picture.width, picture.height));
  const ContextPtr context(cairo_create(surface.get()));
  picture_draw(picture, context.get());
  return surface;
}

cairo_status_t picture_encode(const Picture& picture, ImageFormat format, std::vector<std::uint8_t>* bytes) {
  if (bytes == nullptr) return CAIRO_STATUS_NULL_POINTER;
  bytes->clear();
  cairo_status_t status = CAIRO_STATUS_INVALID_SIZE;
  if (!image_format_valid(format)) {
    status = CAIRO_STATUS_INVALID_FORMAT;
  } else if (format == ImageFormat::png) {
    if (const std::optional<cairo_status_t> composed =
            png_compose(picture, pixels_per_metre(picture), bytes)) {
      status = *composed;
    } else {
      const SurfacePtr surface = picture_render_surface(picture);
      status = png_encode_surface(surface.get(), bytes, pixels_per_metre(picture));
    }
  } else if (picture.print.compact && !picture.logo) {
    status = encode_compact(picture, format, bytes);
  } else if (picture.width > 0 && picture.height > 0 && picture.width <= kMaximumSide &&
             picture.height <= kMaximumSide) {
    status = picture.print.compact && picture.logo ? encode_logo_print(picture, format, bytes)
                                                   : encode_vector(picture, format, bytes, nullptr);
  }
  if (status != CAIRO_STATUS_SUCCESS) *bytes = {};
  return status;
}

}  // namespace tolvex
