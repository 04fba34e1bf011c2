// What a picture says of itself: the summary a person reads as its description and alternate
// text, for the tolvex command's pictures and the service's alike.
#pragma once

#include <string_view>

#include "tolvex/picture_options.hpp"

namespace tolvex {

// The summary of the encoded text as the picture's description, its first line as the title; a
// text that does not decode leaves both absent.
void describe(std::string_view text, PictureOptions& options);

}  // namespace tolvex
