// stamp_pdf in a build without qpdf: the entry stays and refuses.
#include "base/guard.h"
#include "base/messages.h"
#include "tolvex/stamp.hpp"

namespace tolvex {

Result<void> stamp_pdf(std::string_view, const std::filesystem::path&, const std::filesystem::path&,
                       const StampOptions&) {
  return error_of(report(messages::kStampingNotBuilt));
}

}  // namespace tolvex
