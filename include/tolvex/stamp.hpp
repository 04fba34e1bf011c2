// The code placed onto a page of an existing PDF, such as the invoice a customer already gets:
// as vector content over the page, everything else of the file kept.
//
//   auto stamped = tolvex::stamp_pdf(text, "invoice.pdf", "out.pdf",
//       {.picture = {.physicalSize = tolvex::Length{30}}, .position = tolvex::PagePosition::bottom_right});
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "tolvex/picture_options.hpp"
#include "tolvex/result.hpp"

namespace tolvex {

struct StampOptions {
  // The picture (plain or with logo); its format and paper are not looked at. Without a
  // physical size the code is 30 mm wide.
  PictureOptions picture{};
  std::optional<std::int32_t> page{};  // 1 the first; absent: the last
  // The picture's top-left corner from the page's top-left corner (of its visible area), or a
  // position inside the margin; neither: bottom-right.
  std::optional<PagePoint> at{};
  std::optional<PagePosition> position{};
  Length pageMargin{10.0, LengthUnit::millimetre};
};

// Writes input with the code of text on the chosen page to output, replaced only once complete
// (output may be input). A PDF that cannot be read is Errc::io, an encrypted one
// Errc::illegal_argument, as are a page it does not have and a place off the page; the
// picture's failures are render's.
[[nodiscard]] Result<void> stamp_pdf(std::string_view text, const std::filesystem::path& input,
                                     const std::filesystem::path& output, const StampOptions& options = {});

}  // namespace tolvex
