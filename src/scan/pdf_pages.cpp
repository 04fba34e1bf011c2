#include "scan/pdf_pages.h"

#include <poppler.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
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

// The width and height in pixels of a rectangle of the page (points) at dpi.
std::pair<int, int> region_pixels(const PopplerRectangle& region, double dpi) {
  const double scale = dpi / 72.0;
  return {std::max(1, static_cast<int>(std::ceil((region.x2 - region.x1) * scale))),
          std::max(1, static_cast<int>(std::ceil((region.y2 - region.y1) * scale)))};
}

// A rectangle of the page (points from its top-left corner) rendered over white at dpi.
ErrorCode render_region(PopplerPage* page, const PopplerRectangle& region, double dpi, GrayImage* picture) {
  const double scale = dpi / 72.0;
  const auto [pixelWidth, pixelHeight] = region_pixels(region, dpi);
  const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixelWidth, pixelHeight));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    return report(messages::kNotEnoughMemory);
  }
  const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
  cairo_set_source_rgb(context.get(), 1, 1, 1);
  cairo_paint(context.get());
  cairo_scale(context.get(), scale, scale);
  cairo_translate(context.get(), -region.x1, -region.y1);
  poppler_page_render(page, context.get());
  *picture = gray_from_surface(surface.get());
  return ERROR_OK;
}

ErrorCode render_page(PopplerPage* page, double dpi, GrayImage* picture) {
  if (dpi == 0) return report(messages::kPdfPageTooLarge);
  PopplerRectangle whole{};
  poppler_page_get_size(page, &whole.x2, &whole.y2);
  return render_region(page, whole, dpi, picture);
}

struct ImageMappingDeleter {
  void operator()(GList* mapping) const { poppler_page_free_image_mapping(mapping); }
};

// Around an image's area: the quiet zone of a code whose image ends at its modules.
constexpr double kImageMarginPoints = 3 * 72 / 25.4;

// Each image's area of the page, as the page shows it there (flipped, masked, coloured), not
// the image's own pixels: what poppler would decode of an image is then bounded by the rendering
// (an inline image's size is checked by nothing before), and the reader sees what a person sees.
std::vector<GrayImage> page_images(PopplerPage* page) {
  const std::unique_ptr<GList, ImageMappingDeleter> mapping(poppler_page_get_image_mapping(page));
  std::vector<PopplerRectangle> areas;
  for (const GList* item = mapping.get(); item != nullptr; item = item->next) {
    const PopplerRectangle& area = static_cast<const PopplerImageMapping*>(item->data)->area;
    areas.push_back({std::min(area.x1, area.x2), std::min(area.y1, area.y2), std::max(area.x1, area.x2),
                     std::max(area.y1, area.y2)});
  }
  if (areas.size() > static_cast<std::size_t>(kScanMaxPdfPageImages)) return {};
  // Areas are in page space with the origin at the top-left corner.
  std::ranges::stable_sort(areas, [](const PopplerRectangle& a, const PopplerRectangle& b) {
    return a.y1 != b.y1 ? a.y1 < b.y1 : a.x1 < b.x1;
  });
  double width = 0;
  double height = 0;
  poppler_page_get_size(page, &width, &height);
  std::vector<GrayImage> images;
  for (const PopplerRectangle& area : areas) {
    const PopplerRectangle region{
        std::max(0.0, area.x1 - kImageMarginPoints), std::max(0.0, area.y1 - kImageMarginPoints),
        std::min(width, area.x2 + kImageMarginPoints), std::min(height, area.y2 + kImageMarginPoints)};
    // An image that covers much of the page (a scan) is read from the page's rendering.
    const double share = (region.x2 - region.x1) * (region.y2 - region.y1) / (width * height);
    if (!(share > 0) || share > kScanMaxPdfImageShare) continue;
    const auto [pixelWidth, pixelHeight] = region_pixels(region, kScanPdfMinDpi);
    if (static_cast<std::int64_t>(pixelWidth) * pixelHeight > kScanMaxPdfImagePixels) continue;
    GrayImage picture;
    if (render_region(page, region, kScanPdfMinDpi, &picture) == ERROR_OK)
      images.push_back(std::move(picture));
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
