// The pages of a PDF document in memory, rendered one at a time with poppler into luminance
// pictures, within the page-count and render-size limits of scan_limits.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "base/error.h"
#include "scan/gray_image.h"

namespace tolvex {

using PdfPageVisitor = PageVisitor;

// The resolution, in dots per inch, at which a page of width x height points is rendered; 0 when
// the page is too large for the render-size limit even at the lowest resolution.
[[nodiscard]] double pdf_page_dpi(double width, double height);

// Renders every page over white and hands it to visit. Failures: ERROR_IO "Cannot read PDF
// document. " or "PDF document is encrypted. " (one that needs a password),
// ERROR_ILLEGAL_ARGUMENT "Too many PDF pages. " beyond the page limit (checked before any page is
// rendered) and "PDF page too large. " for a page beyond the render-size limit. A failure on one
// page has "page N" as its detail.
[[nodiscard]] ErrorCode pdf_visit_pages(const std::uint8_t* bytes, std::size_t size,
                                        const PdfPageVisitor& visit);

// Looks at a page as its pictures, cheapest first: find sets found when the picture gave what it
// looks for. Each page is rendered at 150 dpi first, and at pdf_page_dpi only when that found
// nothing; failures as pdf_visit_pages.
using PdfPageFinder = std::function<ErrorCode(int page, const GrayImage& picture, bool& found)>;
[[nodiscard]] ErrorCode pdf_find_on_pages(const std::uint8_t* bytes, std::size_t size, const PdfPageFinder& find);

}  // namespace tolvex
