// The layout shared by every summary: titles, aligned labels, blank lines between blocks.
#include "readable/summary_text.h"

#include <gtest/gtest.h>

namespace tolvex {
namespace {

TEST(SummaryText, LabelsAlignOverTheWholeText) {
  SummaryText out;
  out.title("First");
  out.line("A", "1");
  out.line("Longer label", "2");
  out.title("Second");
  out.line("Mid label", "3");
  EXPECT_EQ(out.text(),
            "First\n"
            "A:            1\n"
            "Longer label: 2\n"
            "\n"
            "Second\n"
            "Mid label:    3\n");
}

TEST(SummaryText, OnlyPresentTextsGiveLines) {
  SummaryText out;
  out.title("Block");
  out.optional_line("Absent", std::nullopt);
  out.optional_line("Empty", Text(""));
  out.optional_line("Present", Text("x"));
  // The absent field's label takes no part in the alignment either.
  EXPECT_EQ(out.text(),
            "Block\n"
            "Empty:\n"
            "Present: x\n");
}

TEST(SummaryText, ValuesStayOnOneLineWithoutTrailingSpaces) {
  SummaryText out;
  out.title("Payment\nfor rent ");
  out.line("Note", "first line\nsecond line\n");
  out.line("Blank", "   ");
  out.line("Inside", " kept  inside");
  EXPECT_EQ(out.text(),
            "Payment for rent\n"
            "Note:   first line second line\n"
            "Blank:\n"
            "Inside:  kept  inside\n");
}

TEST(SummaryText, LinesBeforeAnyTitleFormAnUntitledBlock) {
  SummaryText out;
  out.line("Key", "value");
  out.title("Next");
  EXPECT_EQ(out.text(), "Key: value\n\nNext\n");
}

TEST(SummaryText, NothingGivesNoText) { EXPECT_EQ(SummaryText{}.text(), ""); }

}  // namespace
}  // namespace tolvex
