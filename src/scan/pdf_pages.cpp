#include "scan/pdf_pages.h"

#include <poppler.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "base/messages.h"
#include "scan/scan_limits.h"

namespace tolvex {
namespace {

struct GObjectDeleter {
  void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct BytesDeleter {
  void operator()(GBytes* bytes) const { g_bytes_unref(bytes); }
};
struct ErrorDeleter {
  void operator()(GError* error) const { g_error_free(error); }
};
struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};

// Poppler reports every syntax error of a damaged file through GLib's log; the error record
// already says what failed, and a tool must not litter standard error with parser chatter.
void silence_poppler() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_log_set_handler(
        "Poppler", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
        [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
  });
}

// The resolution of a page's first picture: the lowest of the allowed, or 0 when none fits.
double page_dpi(PopplerPage* page, bool lowest) {
  double width = 0;
  double height = 0;
  poppler_page_get_size(page, &width, &height);
  const double dpi = pdf_page_dpi(width, height);
  return lowest ? std::min(dpi, kScanPdfMinDpi) : dpi;
}

ErrorCode render_page(PopplerPage* page, double dpi, GrayImage* picture) {
  if (dpi == 0) return report(messages::kPdfPageTooLarge);
  double width = 0;
  double height = 0;
  poppler_page_get_size(page, &width, &height);
  const double scale = dpi / 72.0;
  const int pixelWidth = std::max(1, static_cast<int>(std::ceil(width * scale)));
  const int pixelHeight = std::max(1, static_cast<int>(std::ceil(height * scale)));
  const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixelWidth, pixelHeight));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    return report(messages::kNotEnoughMemory);
  }
  const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_paint(context.get());
  cairo_scale(context.get(), scale, scale);
  poppler_page_render(page, context.get());
  *picture = gray_from_surface(surface.get());
  return ERROR_OK;
}

struct ImageMappingDeleter {
  void operator()(GList* mapping) const { poppler_page_free_image_mapping(mapping); }
};

std::vector<GrayImage> page_images(PopplerPage* page) {
  const std::unique_ptr<GList, ImageMappingDeleter> mapping(poppler_page_get_image_mapping(page));
  std::vector<const PopplerImageMapping*> drawn;
  for (const GList* item = mapping.get(); item != nullptr; item = item->next) {
    drawn.push_back(static_cast<const PopplerImageMapping*>(item->data));
  }
  if (drawn.size() > static_cast<std::size_t>(kScanMaxPdfPageImages)) return {};
  // Areas are in page space with the origin at the top-left corner.
  std::ranges::stable_sort(drawn, [](const PopplerImageMapping* a, const PopplerImageMapping* b) {
    const double aTop = std::min(a->area.y1, a->area.y2);
    const double bTop = std::min(b->area.y1, b->area.y2);
    if (aTop != bTop) return aTop < bTop;
    return std::min(a->area.x1, a->area.x2) < std::min(b->area.x1, b->area.x2);
  });
  std::vector<GrayImage> images;
  for (const PopplerImageMapping* image : drawn) {
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(poppler_page_get_image(page, image->image_id));
    if (!surface || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface.get()) != CAIRO_SURFACE_TYPE_IMAGE) {
      continue;
    }
    const std::int64_t pixels = static_cast<std::int64_t>(cairo_image_surface_get_width(surface.get())) *
                                cairo_image_surface_get_height(surface.get());
    if (pixels == 0 || pixels > kScanMaxPdfImagePixels) continue;
    images.push_back(gray_from_surface(surface.get()));
  }
  return images;
}

}  // namespace

double pdf_page_dpi(double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0) return 0;
  const double fitting = kScanMaxRenderSide * 72.0 / std::max(width, height);
  const double dpi = std::min(kScanPdfDpi, fitting);
  return dpi >= kScanPdfMinDpi ? dpi : 0;
}

namespace {

// Opens the document and hands each page to look, in order, within the page limit.
ErrorCode for_each_page(const std::uint8_t* bytes, std::size_t size,
                        const std::function<ErrorCode(int number, PopplerPage* page)>& look) {
  silence_poppler();
  // Poppler reads the caller's bytes in place; they outlive the document.
  const std::unique_ptr<GBytes, BytesDeleter> data(g_bytes_new_static(bytes, size));
  GError* raw = nullptr;
  const GObjectPtr<PopplerDocument> document(poppler_document_new_from_bytes(data.get(), nullptr, &raw));
  const std::unique_ptr<GError, ErrorDeleter> error(raw);
  if (!document) {
    // Poppler opens an encrypted document only with its password, which a scan never has.
    const bool encrypted = error && error->domain == POPPLER_ERROR && error->code == POPPLER_ERROR_ENCRYPTED;
    return report(encrypted ? messages::kPdfDocumentIsEncrypted : messages::kCannotReadPdfDocument);
  }
  const int pages = poppler_document_get_n_pages(document.get());
  if (pages > kScanMaxPdfPages) return report(messages::kTooManyPdfPages);
  for (int index = 0; index < pages; ++index) {
    const GObjectPtr<PopplerPage> page(poppler_document_get_page(document.get(), index));
    if (!page) return fail_on_page(report(messages::kCannotReadPdfDocument), index + 1);
    if (const ErrorCode code = look(index + 1, page.get())) return code;
  }
  return ERROR_OK;
}

}  // namespace

ErrorCode pdf_find_on_pages(const std::uint8_t* bytes, std::size_t size, const PdfPageFinder& find,
                            const PdfImagesFinder& findInImages) {
  return for_each_page(bytes, size, [&find, &findInImages](int number, PopplerPage* page) {
    bool found = false;
    if (findInImages) {
      const std::vector<GrayImage> images = page_images(page);
      if (!images.empty()) {
        if (const ErrorCode code = findInImages(number, images, found)) return code;
        if (found) return ERROR_OK;
      }
    }
    const double low = page_dpi(page, true);
    const double high = page_dpi(page, false);
    for (const double dpi : {low, high}) {
      GrayImage picture;
      if (const ErrorCode code = render_page(page, dpi, &picture)) return fail_on_page(code, number);
      if (const ErrorCode code = find(number, picture, found)) return code;
      if (found || high <= low) break;
    }
    return ERROR_OK;
  });
}

}  // namespace tolvex
