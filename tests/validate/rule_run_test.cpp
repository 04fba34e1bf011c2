// RuleRun: stopping, the rules end at the first failure and leave its record; going on, every
// failure is kept with the path of its field, and a failure a later check depends on ends its group.
#include "validate/rule_run.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "validate/field_checks.h"

namespace tolvex {
namespace {

struct Item {
  Text Code;
  Text Symbol;
  Text Reference;
};

// Rules written as the families write theirs: a list of items, each with a required code (that the
// symbol's check reads) and a symbol of digits that a reference excludes.
void item_rules(const std::vector<Item>& items, RuleRun& run) {
  std::size_t index = 0;
  for (const Item& item : items) {
    const RuleRun::Scope scope(run, "Items", index++);
    if (run.fails(check_not_null("Code", item.Code))) continue;
    if (item.Reference &&
        run.stops(check_must_be_null("Symbol", item.Symbol, messages::kMustBeNullBecauseOfReference))) {
      return;
    }
    if (item.Symbol && run.stops(check_digits("Symbol", item.Symbol, 4))) return;
    if (run.stops(check_date("Date", Text("2026-1-1")))) return;
  }
}

TEST(RuleRun, StoppingEndsAtTheFirstFailureGoingOnKeepsEveryOneWithItsPath) {
  const std::vector<Item> items = {
      {Text("A"), Text("12"), std::nullopt},
      {std::nullopt, Text("x"), std::nullopt},
      {Text("B"), Text("1x"), Text("ref")},
      {Text("C"), Text("1x"), std::nullopt},
  };
  RuleRun stopping;
  item_rules(items, stopping);
  EXPECT_EQ(stopping.result(), ERROR_INVALID_VALUE);
  EXPECT_TRUE(stopping.stopped());
  EXPECT_EQ(error_line(), "ERROR_INVALID_VALUE: Date is invalid date format. ");

  std::vector<RuleFailure> every;
  RuleRun goingOn(every);
  item_rules(items, goingOn);
  EXPECT_FALSE(goingOn.stopped());
  EXPECT_EQ(goingOn.result(), ERROR_INVALID_VALUE);
  struct Expected {
    std::string path, line;
  };
  const Expected expected[] = {
      {"Items/0/Date", "ERROR_INVALID_VALUE: Date is invalid date format. "},
      {"Items/1/Code", "ERROR_INVALID_VALUE: Code cannot be NULL. "},
      {"Items/2/Symbol", "ERROR_INVALID_VALUE: Symbol must be NULL, because OriginatorsReferenceInformation is not NULL. "},
      {"Items/2/Symbol", "ERROR_INVALID_VALUE: Symbol is invalid. Can contain only digits. "},
      {"Items/2/Date", "ERROR_INVALID_VALUE: Date is invalid date format. "},
      {"Items/3/Symbol", "ERROR_INVALID_VALUE: Symbol is invalid. Can contain only digits. "},
      {"Items/3/Date", "ERROR_INVALID_VALUE: Date is invalid date format. "},
  };
  ASSERT_EQ(every.size(), std::size(expected));
  for (std::size_t i = 0; i < every.size(); ++i) {
    EXPECT_EQ(every[i].path, expected[i].path) << i;
    EXPECT_EQ(every[i].error.line, expected[i].line) << i;
  }
}

TEST(RuleRun, AFailureNamingNoFieldHasItsRecordsPath) {
  std::vector<RuleFailure> every;
  RuleRun run(every);
  {
    const RuleRun::Scope line(run, "SingleInvoiceLine");
    run.record(check_period(Text("2026-02-02"), Text("2026-02-01")));
  }
  run.record(check_not_null("InvoiceID", Text()));
  ASSERT_EQ(every.size(), 2u);
  EXPECT_EQ(every[0].path, "SingleInvoiceLine");
  EXPECT_EQ(every[1].path, "InvoiceID");
}

}  // namespace
}  // namespace tolvex
