// Parsing JSON text into values: numbers keep their tokens, and every unreadable or hostile text
// fails with ERROR_XML and a line that says JSON and where.
#include <gtest/gtest.h>

#include <string>

#include "json/json_value.h"

namespace tolvex {
namespace {

TEST(JsonParse, KeepsNumberTokensStringsAndMembersInOrder) {
  JsonValue root;
  ASSERT_EQ(json_parse(R"({"a": 12.50, "b": [1e2, -7, 18446744073709551615, 123456789012345678901234], "a": "x\u00e9", "c": null, "d": true})", &root),
            ERROR_OK)
      << error_line();
  ASSERT_EQ(root.kind, JsonValue::Kind::object);
  ASSERT_EQ(root.members.size(), 5u);
  EXPECT_EQ(root.members[0].name, "a");
  EXPECT_EQ(root.members[0].value.kind, JsonValue::Kind::number);
  EXPECT_EQ(root.members[0].value.text, "12.50");
  const JsonValue& list = root.members[1].value;
  ASSERT_EQ(list.kind, JsonValue::Kind::array);
  ASSERT_EQ(list.items.size(), 4u);
  EXPECT_EQ(list.items[0].text, "1e2");
  EXPECT_EQ(list.items[1].text, "-7");
  EXPECT_EQ(list.items[2].text, "18446744073709551615");
  EXPECT_EQ(list.items[3].text, "123456789012345678901234");
  // A repeated name is kept for the reader to refuse.
  EXPECT_EQ(root.members[2].name, "a");
  EXPECT_EQ(root.members[2].value.kind, JsonValue::Kind::string);
  EXPECT_EQ(root.members[2].value.text, "x\xC3\xA9");
  EXPECT_EQ(root.members[3].value.kind, JsonValue::Kind::null);
  EXPECT_EQ(root.members[4].value.kind, JsonValue::Kind::boolean);
}

struct Unreadable {
  const char* label;
  std::string text;
  std::string line;
};

TEST(JsonParse, UnreadableTextsFailWithTheParsersPlace) {
  const Unreadable cases[] = {
      {"empty", "",
       "ERROR_XML: JSON cannot be read: [json.exception.parse_error.101] parse error at line 1, column 1: "
       "syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {"second line", "{\n \"a\": tru}",
       "ERROR_XML: JSON cannot be read: [json.exception.parse_error.101] parse error at line 2, column 10: "
       "syntax error while parsing value - invalid literal; last read: '\"a\": tru}'"},
      {"trailing", "{} {}",
       "ERROR_XML: JSON cannot be read: [json.exception.parse_error.101] parse error at line 1, column 4: "
       "syntax error while parsing value - unexpected '{'; expected end of input"},
      {"overflow names the byte", "[1, 1e400]",
       "ERROR_XML: JSON cannot be read: [json.exception.out_of_range.406] number overflow parsing '1e400' at byte 9"},
      {"not UTF-8", "[\"\xFF\"]",
       "ERROR_XML: JSON cannot be read: [json.exception.parse_error.101] parse error at line 1, column 3: "
       "syntax error while parsing value - invalid string: ill-formed UTF-8 byte; last read: '\"\xFF'"},
  };
  for (const Unreadable& c : cases) {
    JsonValue root;
    EXPECT_EQ(json_parse(c.text, &root), ERROR_XML) << c.label;
    EXPECT_EQ(error_line(), c.line) << c.label;
  }
}

std::string nested(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(JsonParse, NestingIsBoundedAtItsDepth) {
  JsonValue root;
  EXPECT_EQ(json_parse(nested(kJsonMaxDepth), &root), ERROR_OK) << error_line();
  EXPECT_EQ(json_parse(nested(kJsonMaxDepth + 1), &root), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: JSON nested deeper than 64 levels.  ");
  // Far deeper than any stack would hold if each level cost a call.
  EXPECT_EQ(json_parse(std::string(1000000, '['), &root), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: JSON nested deeper than 64 levels.  ");
}

TEST(JsonParse, SizeIsBoundedBeforeParsing) {
  std::string text = "\"" + std::string(kJsonMaxSize - 2, 'a') + "\"";
  JsonValue root;
  EXPECT_EQ(json_parse(text, &root), ERROR_OK) << error_line();
  EXPECT_EQ(root.text.size(), kJsonMaxSize - 2);
  text.insert(1, "a");
  EXPECT_EQ(json_parse(text, &root), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: JSON document larger than 16777216 bytes.  ");
}

// Each member is where its name's opening quote is, each object and array where its bracket is,
// whatever escapes, white space and line ends come before.
TEST(JsonParse, MembersAndContainersKeepWhereTheyStart) {
  const std::string text =
      "{\"Pay\" :\n"
      "  {\"Pay\\\"ments\": [ {\"a\\\\\": 1.50},\n"
      "\t{ \"b\":\"}\\\"\"}],\n"
      "   \"c\":[[]]}}";
  JsonValue root;
  ASSERT_EQ(json_parse(text, &root), ERROR_OK);
  const auto at = [&text](std::size_t offset) { return text.substr(offset, 4); };
  EXPECT_EQ(root.offset, 0u);
  const JsonMember& pay = root.members.at(0);
  EXPECT_EQ(at(pay.offset), "\"Pay");
  EXPECT_EQ(at(pay.value.offset), "{\"Pa");
  const JsonMember& payments = pay.value.members.at(0);
  EXPECT_EQ(payments.name, "Pay\"ments");
  EXPECT_EQ(at(payments.offset), "\"Pay");
  EXPECT_EQ(payments.offset, text.find("\"Pay\\"));
  EXPECT_EQ(at(payments.value.offset), "[ {\"");
  const JsonValue& first = payments.value.items.at(0);
  EXPECT_EQ(at(first.offset), "{\"a\\");
  EXPECT_EQ(first.members.at(0).name, "a\\");
  EXPECT_EQ(first.members.at(0).offset, first.offset + 1);
  const JsonValue& second = payments.value.items.at(1);
  EXPECT_EQ(second.offset, text.find("{ \"b"));
  EXPECT_EQ(second.members.at(0).offset, text.find("\"b\""));
  const JsonMember& c = pay.value.members.at(1);
  EXPECT_EQ(c.offset, text.find("\"c\""));
  EXPECT_EQ(c.value.items.at(0).offset, text.find("[]"));
}

}  // namespace
}  // namespace tolvex
