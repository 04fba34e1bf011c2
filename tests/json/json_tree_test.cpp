// JsonTreeReader and JsonTreeWriter over a small record described once, as the families describe
// theirs: every kind of field both ways, absent apart from empty, and each failure's line.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "json/json_tree.h"
#include "json/json_value.h"

namespace tolvex {
namespace {

constexpr std::array<std::string_view, 3> kColours = {"red", "green", "blue"};
constexpr std::array<std::string_view, 2> kSizeNames = {"Small", "Large"};
constexpr std::array<std::string_view, 2> kSizeCodes = {"s", "L"};

struct Line {
  Text Name;
  Decimal Price;
};

struct Sample {
  Text Title;
  Integer Count;
  Decimal Amount;
  Decimal Total;  // computed
  Enumeration Colour;
  CodeText Size;
  FlagSet Colours;
  Record<Line> Main;
  List<Line> Lines;
};

template <typename X, typename S>
void sample_tree(X& x, S& s) {
  x.text("Title", s.Title);
  x.integer("Count", s.Count);
  x.decimal("Amount", s.Amount);
  x.decimal("Total", s.Total, XmlValue::computed);
  x.enumeration("Colour", s.Colour, kColours);
  x.code("Size", s.Size, kSizeNames, kSizeCodes);
  x.flags("Colours", s.Colours, kColours);
  x.record("Main", s.Main, [](auto& x, auto& l) {
    x.text("Name", l.Name);
    x.decimal("Price", l.Price);
  });
  x.list("Lines", "Line", s.Lines, [](auto& x, auto& l) {
    x.text("Name", l.Name);
    x.decimal("Price", l.Price);
  });
}

std::string write(const Sample& sample, ErrorCode expected = ERROR_OK) {
  std::string out = "{";
  JsonTreeWriter writer(out);
  sample_tree(writer, sample);
  out += '}';
  EXPECT_EQ(writer.result(), expected) << error_line();
  return out;
}

// Reads the object; the failure's code, or ERROR_OK.
ErrorCode read(const std::string& json, Sample& sample) {
  JsonValue root;
  if (const ErrorCode code = json_parse(json, &root)) return code;
  JsonTreeReader reader(root, "/S");
  sample_tree(reader, sample);
  return reader.result();
}

TEST(JsonTree, WritesEveryKindAsItsJsonForm) {
  Sample s;
  s.Title = "Tab\there \"quoted\" \xC3\xA9";
  s.Count = -3;
  s.Amount = 1250.5;
  s.Total = 99.125;
  s.Colour = 2;
  s.Size = "L";
  s.Colours = 5;
  s.Main = std::make_unique<Line>();
  s.Main->Name = "m";
  s.Lines.emplace();
  s.Lines->append(std::make_unique<Line>());
  s.Lines->get(0)->Price = 2;
  EXPECT_EQ(write(s), R"({"Title":"Tab\there \"quoted\" )"
                      "\xC3\xA9"
                      R"(","Count":-3,"Amount":1250.5,"Total":99.125,"Colour":"blue","Size":"Large",)"
                      R"("Colours":"red blue","Main":{"Name":"m"},"Lines":[{"Price":2}]})");
}

TEST(JsonTree, AbsentFieldsHaveNoMemberAndEmptyOnesDo) {
  Sample absent;
  EXPECT_EQ(write(absent), "{}");

  Sample empty;
  empty.Title = "";
  empty.Colours = 0;
  empty.Main = std::make_unique<Line>();
  empty.Lines.emplace();
  const std::string json = write(empty);
  EXPECT_EQ(json, R"({"Title":"","Colours":"","Main":{},"Lines":[]})");

  Sample back;
  ASSERT_EQ(read(json, back), ERROR_OK) << error_line();
  EXPECT_EQ(back.Title, "");
  EXPECT_EQ(back.Colours, 0);
  ASSERT_NE(back.Main, nullptr);
  EXPECT_EQ(back.Main->Name, std::nullopt);
  ASSERT_TRUE(back.Lines.has_value());
  EXPECT_EQ(pointer_list_count(back.Lines), 0u);
  EXPECT_EQ(back.Count, std::nullopt);

  Sample none;
  ASSERT_EQ(read("{}", none), ERROR_OK);
  EXPECT_EQ(none.Title, std::nullopt);
  EXPECT_EQ(none.Main, nullptr);
  EXPECT_FALSE(none.Lines.has_value());
}

TEST(JsonTree, DecimalsAreWrittenAsXmlWritesThem) {
  const struct {
    double value;
    const char* written;
  } cases[] = {
      {12.5, "12.5"},          {100, "100"},       {0, "0"},
      {0.1 + 0.2, "0.3"},      {-7.25, "-7.25"},   {1e20, "100000000000000000000"},
      {1e-9, "0"},             {0.00000001, "0.00000001"}, {123456.789012345, "123456.78901235"},
  };
  for (const auto& c : cases) {
    Sample s;
    s.Amount = c.value;
    EXPECT_EQ(write(s), std::string(R"({"Amount":)") + c.written + "}") << c.value;
    // What is written reads back as the same number XML reading gives for that text.
    Sample back;
    ASSERT_EQ(read(write(s), back), ERROR_OK) << c.written;
    ASSERT_TRUE(back.Amount.has_value());
    EXPECT_EQ(*back.Amount, std::stod(c.written)) << c.written;
  }
}

TEST(JsonTree, ANumberThatIsNotFiniteIsNotWritten) {
  for (const double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
    Sample s;
    s.Main = std::make_unique<Line>();
    s.Main->Price = bad;
    write(s, ERROR_INVALID_VALUE);
    EXPECT_EQ(error_line(), "ERROR_INVALID_VALUE: Price is not a finite number, which JSON cannot carry. ");
  }
}

TEST(JsonTree, ReadsEveryKindBackAndSkipsWhatIsNotCarried) {
  Sample s;
  ASSERT_EQ(read(R"({"Title":"t","Count":15,"Amount":1.5e1,"Total":"not even a number","Colour":"green",
                     "Size":"Small","Colours":"blue nonsense red","Unknown":[1,{"x":2}],
                     "Main":{"Price":3},"Lines":[{"Name":"a"},{"Name":"b","Price":-0.5}]})",
                 s),
            ERROR_OK)
      << error_line();
  EXPECT_EQ(s.Title, "t");
  EXPECT_EQ(s.Count, 15);
  EXPECT_EQ(s.Amount, 15.0);
  EXPECT_EQ(s.Total, std::nullopt);
  EXPECT_EQ(s.Colour, 1);
  EXPECT_EQ(s.Size, "s");
  EXPECT_EQ(s.Colours, 5);
  ASSERT_NE(s.Main, nullptr);
  EXPECT_EQ(s.Main->Price, 3.0);
  ASSERT_EQ(pointer_list_count(s.Lines), 2u);
  EXPECT_EQ(s.Lines->get(0)->Name, "a");
  EXPECT_EQ(s.Lines->get(1)->Price, -0.5);
}

TEST(JsonTree, IntegersFollowTheIntegerRulesOfXml) {
  const struct {
    const char* token;
    Integer value;
  } cases[] = {
      {"0", 0},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {"99999999999", std::numeric_limits<std::int32_t>::max()},  // clamped, as XML's reading clamps
      {"123456789012345678901234567890", std::numeric_limits<std::int32_t>::max()},
      {"1.0", std::nullopt},
      {"1e2", std::nullopt},
  };
  for (const auto& c : cases) {
    Sample s;
    const ErrorCode code = read(std::string(R"({"Count":)") + c.token + "}", s);
    if (c.value) {
      EXPECT_EQ(code, ERROR_OK) << c.token;
      EXPECT_EQ(s.Count, c.value) << c.token;
    } else {
      EXPECT_EQ(code, ERROR_XML) << c.token;
      EXPECT_EQ(error_line(), "ERROR_XML: Count Invalid integer format.") << c.token;
    }
  }
}

struct Failure {
  const char* json;
  const char* line;
};

TEST(JsonTree, EachFailureHasItsLine) {
  const Failure cases[] = {
      // The value checks give the lines XML reading gives.
      {R"({"Colour":"purple"})", "ERROR_XML: Colour Invalid enum value."},
      {R"({"Colour":""})", "ERROR_XML: Colour Invalid enum value."},
      {R"({"Size":"s"})", "ERROR_XML: Size Invalid enum value."},
      {R"({"Colours":"red blue red"})", "ERROR_XML: Colours Contains duplicate value."},
      // The wrong JSON type names the member's path.
      {R"({"Title":5})", "ERROR_XML: /S/Title is not a JSON string. "},
      {R"({"Title":null})", "ERROR_XML: /S/Title is not a JSON string. "},
      {R"({"Amount":"12.5"})", "ERROR_XML: /S/Amount is not a JSON number. "},
      {R"({"Count":true})", "ERROR_XML: /S/Count is not a JSON number. "},
      {R"({"Colour":1})", "ERROR_XML: /S/Colour is not a JSON string. "},
      {R"({"Colours":["red"]})", "ERROR_XML: /S/Colours is not a JSON string. "},
      {R"({"Main":[]})", "ERROR_XML: /S/Main is not a JSON object. "},
      {R"({"Main":{"Price":"3"}})", "ERROR_XML: /S/Main/Price is not a JSON number. "},
      {R"({"Lines":{"Name":"a"}})", "ERROR_XML: /S/Lines is not a JSON array. "},
      {R"({"Lines":[{"Name":"a"},"b"]})", "ERROR_XML: /S/Lines/1 is not a JSON object. "},
      {R"({"Lines":[{},{"Price":[]}]})", "ERROR_XML: /S/Lines/1/Price is not a JSON number. "},
      {R"({"Title":"a","Title":"b"})", "ERROR_XML: /S/Title is given twice in its JSON object. "},
      {R"({"Main":{"Name":"a","Name":"a"}})", "ERROR_XML: /S/Main/Name is given twice in its JSON object. "},
      // The first failure in the description's order is the one reported.
      {R"({"Colours":1,"Title":2})", "ERROR_XML: /S/Title is not a JSON string. "},
  };
  for (const Failure& c : cases) {
    Sample s;
    EXPECT_EQ(read(c.json, s), ERROR_XML) << c.json;
    EXPECT_EQ(error_line(), c.line) << c.json;
  }
}

}  // namespace
}  // namespace tolvex
