// Arbitrary bytes as a PDF document: its image sizes checked as every reading checks them, then
// into poppler through pdf_find_on_pages, with the images of each page and the pages it renders
// (each at both resolutions, as nothing is found): in order, within the image and render-size
// limits, never more than the page limit. The QR
// reading of rendered pages is the picture harness's; here a page's picture is only checked, so
// that each input costs one parse and its renderings.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "require.h"
#include "scan/pdf_images.h"
#include "scan/pdf_pages.h"
#include "scan/scan_limits.h"

using namespace tolvex;
using tolvex::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every input is a PDF to poppler: the header is put in front when it is missing.
  std::vector<std::uint8_t> bytes(data, data + size);
  if (size < 5 || std::memcmp(data, "%PDF-", 5) != 0) {
    const char header[] = "%PDF-1.4\n";
    bytes.insert(bytes.begin(), header, header + sizeof header - 1);
  }
  const ErrorCode checked = pdf_check_image_sizes(bytes.data(), bytes.size());
  require(checked == ERROR_OK || checked == ERROR_ILLEGAL_ARGUMENT, "the image check refuses only a limit");
  if (checked != ERROR_OK) return 0;
  int pages = 0;
  const auto holds_its_pixels = [](const GrayImage& picture) {
    require(picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height,
            "a picture holds its pixels");
  };
  const ErrorCode code = pdf_find_on_pages(
      bytes.data(), bytes.size(),
      [&pages, &holds_its_pixels](int page, const GrayImage& picture, bool& found) {
        found = false;
        if (page != pages) require(page == ++pages, "pages come in order from 1");
        require(page <= kScanMaxPdfPages, "no page beyond the limit is rendered");
        require(picture.width >= 1 && picture.height >= 1 && picture.width <= kScanMaxRenderSide &&
                    picture.height <= kScanMaxRenderSide,
                "a rendering stays within the limit");
        holds_its_pixels(picture);
        return ERROR_OK;
      },
      [&pages, &holds_its_pixels](int page, const std::vector<GrayImage>& images, bool& found) {
        found = false;
        require(page == pages + 1, "a page's images come before its renderings");
        require(!images.empty() && images.size() <= static_cast<std::size_t>(kScanMaxPdfPageImages),
                "a page's images are within the limit");
        for (const GrayImage& image : images) {
          require(image.width >= 1 && image.height >= 1 &&
                      static_cast<std::int64_t>(image.width) * image.height <= kScanMaxPdfImagePixels,
                  "an image is within the limit");
          holds_its_pixels(image);
        }
        return ERROR_OK;
      });
  require(code == ERROR_OK || code == ERROR_IO || code == ERROR_ILLEGAL_ARGUMENT,
          "a document fails only as unreadable or beyond a limit");
  return 0;
}
