// The PAY rules without a document: the rules over documents read from XML are tested in pipeline.
#include "pay/pay_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "tolvex/pay.hpp"

namespace tolvex {
namespace {

std::string invalid(const std::string& rest) { return "ERROR_INVALID_VALUE: " + rest; }

TEST(PayValidate, NullDocumentIsNamed) {
  EXPECT_EQ(pay_validate(nullptr), ERROR_INVALID_VALUE);
  EXPECT_EQ(error_line(), invalid("Pay cannot be NULL. "));
}

}  // namespace
}  // namespace tolvex
