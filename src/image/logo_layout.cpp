#include "image/logo_layout.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace tolvex {
namespace {

constexpr std::size_t kFamilies = 3;
constexpr std::size_t kRotations = 4;
constexpr std::size_t kVariations = 4;

constexpr std::array<std::string_view, kFamilies> kFamilyPrefixes = {"pay", "invoice", "items"};
constexpr std::array<std::string_view, kVariations> kColourWords = {"dark", "medium", "light", "gray"};

// Placement word by family and rotation index. For the invoice families the file named
// "left" holds the top placement and "top" the left one; logo directories carry these
// names, while the geometry always follows the rotation index.
constexpr std::array<std::array<std::string_view, kRotations>, kFamilies> kPlacementWords = {{
    {"bottom", "top", "left", "right"},
    {"bottom", "left", "top", "right"},
    {"bottom", "left", "top", "right"},
}};

// Room for the longest name, "invoice-bottom-medium-no_frame.png".
struct NameText {
  std::array<char, 40> characters{};
  std::size_t length = 0;

  constexpr void append(std::string_view part) {
    for (const char c : part) characters[length++] = c;
  }
  constexpr std::string_view view() const { return {characters.data(), length}; }
};

constexpr std::array<NameText, kFamilies * kRotations * kVariations * 2> build_names() {
  std::array<NameText, kFamilies * kRotations * kVariations * 2> names{};
  for (std::size_t family = 0; family < kFamilies; ++family) {
    for (std::size_t rotation = 0; rotation < kRotations; ++rotation) {
      for (std::size_t variation = 0; variation < kVariations; ++variation) {
        for (const bool frame : {true, false}) {
          NameText& name = names[family * 32 + rotation * 8 + variation * 2 + (frame ? 0 : 1)];
          name.append(kFamilyPrefixes[family]);
          name.append("-");
          name.append(kPlacementWords[family][rotation]);
          name.append("-");
          name.append(kColourWords[variation]);
          if (!frame) name.append("-no_frame");
          name.append(".png");
        }
      }
    }
  }
  return names;
}

constexpr auto kNames = build_names();

static_assert(kNames[0].view() == "pay-bottom-dark.png");
static_assert(kNames[2 * 32 + 3 * 8 + 3 * 2 + 1].view() == "items-right-gray-no_frame.png");
static_assert(kNames[1 * 32 + 1 * 8 + 2 * 2].view() == "invoice-left-light.png");

// The nearest double to 0.015, slightly below it; multiplied in extended precision this
// decides whether the box side of a round reference side is rounded up by one.
constexpr double kFrameMarginRatio = 0.015;

LogoLayout framed_layout(LogoRotation rotation, int pictureWidth, int pictureHeight) {
  const long double width = pictureWidth;
  const long double height = pictureHeight;
  const bool bandAcross = rotation == LogoRotation::bottom || rotation == LogoRotation::top;
  const long double reference = bandAcross ? width : height;
  const long double margin = reference * static_cast<long double>(kFrameMarginRatio);

  long double boxX = margin;
  long double boxY = margin;
  if (rotation == LogoRotation::top) boxY = margin + height - width;
  if (rotation == LogoRotation::left) boxX = margin + width - height;

  LogoLayout layout;
  layout.resultWidth = pictureWidth;
  layout.resultHeight = pictureHeight;
  layout.boxX = static_cast<double>(boxX);
  layout.boxY = static_cast<double>(boxY);
  layout.boxSide = static_cast<double>(std::ceil(reference - 2 * margin));
  return layout;
}

LogoLayout unframed_layout(LogoRotation rotation, int pictureWidth, int pictureHeight) {
  LogoLayout layout;
  switch (rotation) {
    case LogoRotation::bottom:
    case LogoRotation::top:
      layout.resultWidth = pictureWidth;
      layout.resultHeight = pictureWidth + pictureHeight;
      layout.boxSide = pictureWidth;
      if (rotation == LogoRotation::bottom) {
        layout.logoY = pictureWidth;
      } else {
        layout.boxY = pictureHeight;
      }
      break;
    case LogoRotation::left:
    case LogoRotation::right:
      layout.resultWidth = pictureWidth + pictureHeight;
      layout.resultHeight = pictureHeight;
      layout.boxSide = pictureHeight;
      if (rotation == LogoRotation::left) {
        layout.boxX = pictureWidth;
      } else {
        layout.logoX = pictureHeight;
      }
      break;
  }
  return layout;
}

}  // namespace

std::string_view logo_file_name(unsigned family, LogoRotation rotation, LogoVariation variation, bool frame) {
  return kNames[family * 32 + static_cast<unsigned>(rotation) * 8 + static_cast<unsigned>(variation) * 2 +
                (frame ? 0 : 1)]
      .view();
}

LogoLayout logo_layout(LogoRotation rotation, bool frame, int pictureWidth, int pictureHeight) {
  return frame ? framed_layout(rotation, pictureWidth, pictureHeight)
               : unframed_layout(rotation, pictureWidth, pictureHeight);
}

}  // namespace tolvex
