// The picture of a text, as both the option-taking entries and the older ones make it.
#pragma once

#include <string_view>

#include "base/error.h"
#include "image/picture.h"
#include "tolvex/picture.hpp"

namespace tolvex {

// The plain picture, or with options.logo the composition for the family the text's header
// names. The picture takes the thread's render settings; callers with options replace them.
[[nodiscard]] ErrorCode text_picture(std::string_view text, const PictureOptions& options, Picture* picture);

}  // namespace tolvex
