// The pages of a PDF document in memory, rendered one at a time with poppler into luminance
// pictures, within the page-count and render-size limits of scan_limits.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/error.h"
#include "scan/gray_image.h"

namespace tolvex {

// The resolution, in dots per inch, of the full rendering of a page of width x height points; 0
// when the page is too large for the render-size limit even at the lowest resolution.
[[nodiscard]] double pdf_page_dpi(double width, double height);

// Renders every page over white and hands it to find, cheapest first: at 150 dpi, and again at
// pdf_page_dpi only when find did not set found for the first. Failures: ERROR_IO "Cannot read PDF
// document. " or "PDF document is encrypted. " (one that needs a password),
// ERROR_ILLEGAL_ARGUMENT "Too many PDF pages. " beyond the page limit (checked before any page is
// rendered) and "PDF page too large. " for a page beyond the render-size limit. A failure on one
// page has "page N" as its detail.
//
// With findInImages, each page's images come first: the part of the page each covers (and a
// margin of 3 mm), rendered at 150 dpi. An invoice that embeds its code as a picture is read
// without rendering the whole page. They come in reading order (by where their top-left corner
// lies on the page: top to bottom, then left to right), one for each time an image is drawn; an
// image beyond the share and pixels of scan_limits.h is left to the page's rendering, and a page
// of no image, or of more than kScanMaxPdfPageImages, is only rendered. Setting found there
// skips the renderings of that page.
using PdfPageFinder = std::function<ErrorCode(int page, const GrayImage& picture, bool& found)>;
using PdfImagesFinder = std::function<ErrorCode(int page, const std::vector<GrayImage>& images, bool& found)>;
[[nodiscard]] ErrorCode pdf_find_on_pages(const std::uint8_t* bytes, std::size_t size,
                                          const PdfPageFinder& find,
                                          const PdfImagesFinder& findInImages = {});

}  // namespace tolvex
