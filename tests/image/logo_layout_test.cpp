#include "image/logo_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/logo_values.h"

namespace tolvex {
namespace {

constexpr LogoRotation kBottom = LogoRotation::bottom;
constexpr LogoRotation kTop = LogoRotation::top;
constexpr LogoRotation kLeft = LogoRotation::left;
constexpr LogoRotation kRight = LogoRotation::right;
constexpr LogoVariation kDark = LogoVariation::dark;
constexpr LogoVariation kMedium = LogoVariation::medium;
constexpr LogoVariation kLight = LogoVariation::light;
constexpr LogoVariation kGray = LogoVariation::gray;

TEST(LogoFileName, NamesFamilyPlacementColourAndFrame) {
  EXPECT_EQ(logo_file_name(0, kBottom, kDark, true), "pay-bottom-dark.png");
  EXPECT_EQ(logo_file_name(2, kRight, kGray, false), "items-right-gray-no_frame.png");
  EXPECT_EQ(logo_file_name(1, kTop, kLight, true), "invoice-left-light.png");
}

TEST(LogoFileName, InvoiceFamiliesSwapTopAndLeft) {
  EXPECT_EQ(logo_file_name(0, kTop, kMedium, true), "pay-top-medium.png");
  EXPECT_EQ(logo_file_name(0, kLeft, kMedium, true), "pay-left-medium.png");
  for (const unsigned family : {1u, 2u}) {
    const std::string prefix = family == 1 ? "invoice" : "items";
    EXPECT_EQ(logo_file_name(family, kTop, kMedium, true), prefix + "-left-medium.png");
    EXPECT_EQ(logo_file_name(family, kLeft, kMedium, true), prefix + "-top-medium.png");
    EXPECT_EQ(logo_file_name(family, kTop, kDark, false), prefix + "-left-dark-no_frame.png");
    EXPECT_EQ(logo_file_name(family, kLeft, kDark, false), prefix + "-top-dark-no_frame.png");
    EXPECT_EQ(logo_file_name(family, kBottom, kMedium, true), prefix + "-bottom-medium.png");
    EXPECT_EQ(logo_file_name(family, kRight, kMedium, true), prefix + "-right-medium.png");
  }
}

TEST(LogoFileName, EveryNameIsDistinctAndBuiltFromItsParts) {
  const char* const prefixes[] = {"pay-", "invoice-", "items-"};
  const char* const colours[] = {"dark", "medium", "light", "gray"};
  const char* const placements[] = {"bottom", "top", "left", "right"};
  std::set<std::string> seen;
  for (unsigned family = 0; family < 3; ++family) {
    for (const LogoRotation rotation : test::kAllRotations) {
      for (const LogoVariation variation : test::kAllVariations) {
        for (const bool frame : {true, false}) {
          const std::string name(logo_file_name(family, rotation, variation, frame));
          SCOPED_TRACE(name);
          seen.insert(name);
          EXPECT_EQ(name.rfind(prefixes[family], 0), 0u);
          const std::string ending =
              std::string("-") + colours[static_cast<int>(variation)] + (frame ? "" : "-no_frame") + ".png";
          ASSERT_GE(name.size(), ending.size());
          EXPECT_EQ(name.substr(name.size() - ending.size()), ending);
          // Bottom and right never move; top and left may only trade places.
          const std::string placement =
              name.substr(std::string(prefixes[family]).size(),
                          name.size() - ending.size() - std::string(prefixes[family]).size());
          if (rotation == kBottom || rotation == kRight) {
            EXPECT_EQ(placement, placements[static_cast<int>(rotation)]);
          } else {
            EXPECT_TRUE(placement == "top" || placement == "left") << placement;
          }
        }
      }
    }
  }
  EXPECT_EQ(seen.size(), 96u);
}

TEST(LogoLayoutFramed, BottomKeepsPictureAndPutsBoxAtMargin) {
  const LogoLayout layout = logo_layout(kBottom, true, 500, 600);
  EXPECT_EQ(layout.resultWidth, 500);
  EXPECT_EQ(layout.resultHeight, 600);
  EXPECT_EQ(layout.logoX, 0.0);
  EXPECT_EQ(layout.logoY, 0.0);
  EXPECT_EQ(layout.boxX, 7.5);
  EXPECT_EQ(layout.boxY, 7.5);
  EXPECT_EQ(layout.boxSide, 486.0);
}

TEST(LogoLayoutFramed, TopPutsBoxInTheBottomSquare) {
  const LogoLayout layout = logo_layout(kTop, true, 400, 520);
  EXPECT_EQ(layout.resultWidth, 400);
  EXPECT_EQ(layout.resultHeight, 520);
  EXPECT_EQ(layout.logoX, 0.0);
  EXPECT_EQ(layout.logoY, 0.0);
  EXPECT_EQ(layout.boxX, 6.0);
  EXPECT_EQ(layout.boxY, 126.0);
  EXPECT_EQ(layout.boxSide, 389.0);
}

TEST(LogoLayoutFramed, LeftAndRightMeasureFromTheHeight) {
  const LogoLayout left = logo_layout(kLeft, true, 600, 500);
  EXPECT_EQ(left.resultWidth, 600);
  EXPECT_EQ(left.resultHeight, 500);
  EXPECT_EQ(left.boxX, 107.5);
  EXPECT_EQ(left.boxY, 7.5);
  EXPECT_EQ(left.boxSide, 486.0);

  const LogoLayout right = logo_layout(kRight, true, 600, 500);
  EXPECT_EQ(right.resultWidth, 600);
  EXPECT_EQ(right.resultHeight, 500);
  EXPECT_EQ(right.logoX, 0.0);
  EXPECT_EQ(right.boxX, 7.5);
  EXPECT_EQ(right.boxY, 7.5);
  EXPECT_EQ(right.boxSide, 486.0);
}

TEST(LogoLayoutFramed, RoundReferenceSidesGetOneMorePixel) {
  EXPECT_EQ(logo_layout(kBottom, true, 1000, 1200).boxSide, 971.0);
  EXPECT_EQ(logo_layout(kRight, true, 1200, 1000).boxSide, 971.0);
  EXPECT_EQ(logo_layout(kTop, true, 100, 150).boxSide, 98.0);
  EXPECT_EQ(logo_layout(kLeft, true, 2400, 2000).boxSide, 1941.0);
}

TEST(LogoLayoutFramed, OtherReferenceSidesRoundUp) {
  // 620 - 2 * 9.3 = 601.4 and 333 - 2 * 4.995 = 323.01.
  const LogoLayout layout = logo_layout(kBottom, true, 620, 760);
  EXPECT_EQ(layout.boxSide, 602.0);
  EXPECT_DOUBLE_EQ(layout.boxX, 9.3);
  EXPECT_DOUBLE_EQ(layout.boxY, 9.3);
  EXPECT_EQ(logo_layout(kLeft, true, 400, 333).boxSide, 324.0);
  EXPECT_DOUBLE_EQ(logo_layout(kLeft, true, 400, 333).boxX, 71.995);
}

TEST(LogoLayoutUnframed, BottomPutsCodeAbovePicture) {
  const LogoLayout layout = logo_layout(kBottom, false, 500, 200);
  EXPECT_EQ(layout.resultWidth, 500);
  EXPECT_EQ(layout.resultHeight, 700);
  EXPECT_EQ(layout.logoX, 0.0);
  EXPECT_EQ(layout.logoY, 500.0);
  EXPECT_EQ(layout.boxX, 0.0);
  EXPECT_EQ(layout.boxY, 0.0);
  EXPECT_EQ(layout.boxSide, 500.0);
}

TEST(LogoLayoutUnframed, TopPutsCodeBelowPicture) {
  const LogoLayout layout = logo_layout(kTop, false, 500, 200);
  EXPECT_EQ(layout.resultWidth, 500);
  EXPECT_EQ(layout.resultHeight, 700);
  EXPECT_EQ(layout.logoX, 0.0);
  EXPECT_EQ(layout.logoY, 0.0);
  EXPECT_EQ(layout.boxX, 0.0);
  EXPECT_EQ(layout.boxY, 200.0);
  EXPECT_EQ(layout.boxSide, 500.0);
}

TEST(LogoLayoutUnframed, LeftPutsCodeRightOfPicture) {
  const LogoLayout layout = logo_layout(kLeft, false, 200, 500);
  EXPECT_EQ(layout.resultWidth, 700);
  EXPECT_EQ(layout.resultHeight, 500);
  EXPECT_EQ(layout.logoX, 0.0);
  EXPECT_EQ(layout.logoY, 0.0);
  EXPECT_EQ(layout.boxX, 200.0);
  EXPECT_EQ(layout.boxY, 0.0);
  EXPECT_EQ(layout.boxSide, 500.0);
}

TEST(LogoLayoutUnframed, RightPutsCodeLeftOfPicture) {
  const LogoLayout layout = logo_layout(kRight, false, 200, 500);
  EXPECT_EQ(layout.resultWidth, 700);
  EXPECT_EQ(layout.resultHeight, 500);
  EXPECT_EQ(layout.logoX, 500.0);
  EXPECT_EQ(layout.logoY, 0.0);
  EXPECT_EQ(layout.boxX, 0.0);
  EXPECT_EQ(layout.boxY, 0.0);
  EXPECT_EQ(layout.boxSide, 500.0);
}

TEST(LogoLayoutUnframed, SideFollowsTheBandLengthNotItsThickness) {
  // A band that is not thin still gives the code the band's length, not a square of the result.
  EXPECT_EQ(logo_layout(kBottom, false, 300, 400).boxSide, 300.0);
  EXPECT_EQ(logo_layout(kTop, false, 300, 400).resultHeight, 700);
  EXPECT_EQ(logo_layout(kRight, false, 400, 300).boxSide, 300.0);
  EXPECT_EQ(logo_layout(kRight, false, 400, 300).logoX, 300.0);
}

}  // namespace
}  // namespace tolvex
