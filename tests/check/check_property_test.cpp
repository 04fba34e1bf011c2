// Documents made by mutating the examples: whatever the check calls free of errors encodes, and
// whatever it finds an error in fails to encode with exactly the first error's line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <tuple>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tolvex/check.hpp"
#include "tolvex/encode.hpp"

namespace tolvex {
namespace {

std::vector<std::string> examples() {
  std::vector<std::string> texts;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TOLVEX_SOURCE_DIR) + "/examples")) {
    if (entry.path().extension() != ".xml") continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    texts.push_back(text.str());
  }
  std::sort(texts.begin(), texts.end());
  return texts;
}

// The spans of element content ("<X>content</X>") in a document.
std::vector<std::pair<std::size_t, std::size_t>> contents(const std::string& xml) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (std::size_t at = xml.find('>'); at != std::string::npos; at = xml.find('>', at + 1)) {
    const std::size_t end = xml.find('<', at + 1);
    if (end == std::string::npos) break;
    if (end > at + 1 && xml.substr(end, 2) == "</") spans.emplace_back(at + 1, end - at - 1);
  }
  return spans;
}

const std::vector<std::string> kValues = {
    "",           "x",          "-1",          "0",         "12480.005",  "1,5",          "nan",
    "2026-02-30", "2026-13-01", "2026-1-1",    "CZX",       "EURO",       "eur",          "XX12",
    "SK3112000000198742637542", "DE89370400440532013000", "GIBAQQPX", "gibaczpx", "123456789012",
    "paymentorder standingorder", "directdebit", "monthly", "Monthly", "SEPA", "1.5e400", "  ",
    "paymentorder paymentorder", "99999999999999999999", "&amp;", "2024-02-29"};

std::string mutate(std::string xml, std::mt19937& random) {
  const int changes = 1 + static_cast<int>(random() % 3);
  for (int i = 0; i < changes; ++i) {
    const auto spans = contents(xml);
    if (spans.empty()) break;
    const auto [start, length] = spans[random() % spans.size()];
    switch (random() % 4) {
      case 0:
      case 1:
        xml.replace(start, length, kValues[random() % kValues.size()]);
        break;
      case 2: {  // drop the whole element around the content
        const std::size_t open = xml.rfind('<', start);
        const std::size_t close = xml.find('>', start + length);
        if (open != std::string::npos && close != std::string::npos) xml.erase(open, close - open + 1);
        break;
      }
      default: {  // rename the element, open and close alike
        const std::size_t open = xml.rfind('<', start);
        const std::size_t close = xml.find('>', start + length);
        if (open == std::string::npos || close == std::string::npos) break;
        const std::string element = xml.substr(open, close - open + 1);
        const std::size_t nameEnd = element.find('>');
        const std::string name = element.substr(1, nameEnd - 1);
        const std::string renamed = name.substr(0, name.size() / 2) + "Q";
        std::string replaced = element;
        replaced.replace(1, name.size(), renamed);
        const std::size_t closing = replaced.rfind("</" + name);
        if (closing != std::string::npos) replaced.replace(closing + 2, name.size(), renamed);
        xml.replace(open, close - open + 1, replaced);
      }
    }
  }
  return xml;
}

TEST(CheckProperty, ErrorFreeDocumentsEncodeAndTheFirstErrorIsTheEncodersLine) {
  const std::vector<std::string> sources = examples();
  ASSERT_GE(sources.size(), 5u);
  std::mt19937 random(20261208);  // fixed, so that a failure can be repeated
  int failing = 0;
  int passing = 0;
  for (int round = 0; round < 1500; ++round) {
    const std::string document = mutate(sources[static_cast<std::size_t>(round) % sources.size()], random);
    const Result<std::vector<Finding>> found = check(document);
    ASSERT_TRUE(found.has_value());
    const Result<std::string> encoded = encode_xml(document);
    const bool hasError = !found->empty() && found->front().severity == Severity::error;
    ASSERT_EQ(hasError, !encoded.has_value()) << document;
    if (hasError) {
      ++failing;
      ASSERT_EQ(found->front().errorLine, encoded.error().line) << document;
      for (const Finding& f : *found) {
        if (f.severity == Severity::error) {
          EXPECT_FALSE(f.errorLine.empty()) << f.rule;
        }
      }
    } else {
      ++passing;
    }
  }
  // The mutations reach both sides, or the property says little.
  EXPECT_GT(failing, 100);
  EXPECT_GT(passing, 100);
}

// The errors of a document as (rule, path, error line), sorted.
using ErrorKey = std::tuple<std::string, std::string, std::string>;
std::vector<ErrorKey> errors_of(const std::vector<Finding>& findings, std::size_t shift = 0) {
  std::vector<ErrorKey> errors;
  for (const Finding& f : findings) {
    if (f.severity != Severity::error) continue;
    std::string path = f.path;
    // "Payments/<i>/..." moved by shift payments.
    const std::size_t slash = path.find('/', 9);
    path = "Payments/" + std::to_string(std::stoul(path.substr(9, slash - 9)) + shift) +
           (slash == std::string::npos ? "" : path.substr(slash));
    errors.emplace_back(f.rule, path, f.errorLine);
  }
  std::sort(errors.begin(), errors.end());
  return errors;
}

bool only_in_payments(const std::vector<Finding>& findings) {
  return std::all_of(findings.begin(), findings.end(), [](const Finding& f) {
    return f.severity != Severity::error ||
           (f.path.starts_with("Payments/") && f.path.size() > 9 && std::isdigit(static_cast<unsigned char>(f.path[9])));
  });
}

// Two mutated payment orders joined into one: its errors are exactly those of each part alone,
// the second part's moved past the first part's payments. So every error, not only the first,
// carries the line encoding prints when it is the first.
TEST(CheckProperty, EveryErrorIsTheErrorOfItsPartAlone) {
  std::vector<std::string> orders;
  for (const std::string& text : examples()) {
    if (text.find("<Payments>") != std::string::npos) orders.push_back(text);
  }
  ASSERT_GE(orders.size(), 2u);
  std::mt19937 random(8122026);
  int joined = 0;
  int severalErrors = 0;
  for (int round = 0; round < 600; ++round) {
    const std::string first = mutate(orders[random() % orders.size()], random);
    const std::string second = mutate(orders[random() % orders.size()], random);
    const std::size_t firstEnd = first.find("</Payments>");
    const std::size_t secondStart = second.find("<Payments>");
    const std::size_t secondEnd = second.find("</Payments>");
    if (firstEnd == std::string::npos || secondStart == std::string::npos || secondEnd == std::string::npos) continue;
    const Result<std::vector<Finding>> alone1 = check(first);
    const Result<std::vector<Finding>> alone2 = check(second);
    ASSERT_TRUE(alone1 && alone2);
    if (!only_in_payments(*alone1) || !only_in_payments(*alone2)) continue;
    std::size_t payments = 0;
    for (std::size_t at = first.find("<Payment>"); at < firstEnd; at = first.find("<Payment>", at + 1)) ++payments;
    std::string both = first;
    const std::size_t open = secondStart + std::string_view("<Payments>").size();
    both.insert(firstEnd, second.substr(open, secondEnd - open));
    const Result<std::vector<Finding>> together = check(both);
    ASSERT_TRUE(together.has_value());
    std::vector<ErrorKey> expected = errors_of(*alone1);
    const std::vector<ErrorKey> moved = errors_of(*alone2, payments);
    expected.insert(expected.end(), moved.begin(), moved.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_TRUE(only_in_payments(*together)) << both;
    ASSERT_EQ(errors_of(*together), expected) << both;
    ++joined;
    if (expected.size() >= 2) ++severalErrors;
  }
  EXPECT_GT(joined, 200);
  EXPECT_GT(severalErrors, 100);
}

}  // namespace
}  // namespace tolvex
