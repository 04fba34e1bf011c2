// The value readers, the number conversions and the document entry point with its error report.
#include "xml/xml_read.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <array>
#include <cctype>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "base/numbers.h"
#include "tolvex/invoice.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"
#include "xml/error_collection.h"

namespace tolvex {
namespace {

struct XmlDocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// A parsed <r>...</r> element for feeding the readers.
class Snippet {
 public:
  explicit Snippet(const std::string& children) {
    const std::string text = "<r xmlns:p=\"urn:other\">" + children + "</r>";
    doc_.reset(xmlReadMemory(text.data(), static_cast<int>(text.size()), "noname.xml", nullptr, 0));
  }
  const xmlNode* root() const { return xmlDocGetRootElement(doc_.get()); }

 private:
  std::unique_ptr<xmlDoc, XmlDocDeleter> doc_;
};

TEST(ParseInteger, AcceptsWholeBaseTenNumbersAndClampsToThirtyTwoBits) {
  const struct {
    const char* text;
    std::optional<std::int32_t> expected;
  } cases[] = {
      {"42", 42},
      {" \t\n42", 42},
      {"+7", 7},
      {"-7", -7},
      {"0007", 7},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"-2147483649", INT32_MIN},
      {"99999999999999999999999", INT32_MAX},
      {"42 ", std::nullopt},
      {"7x", std::nullopt},
      {"1.0", std::nullopt},
      {"0x10", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"-", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_integer(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_EQ(parse_integer(nullptr), std::nullopt);
}

TEST(ParseDecimal, AcceptsWholeNumbersWithDotOnly) {
  const struct {
    const char* text;
    std::optional<double> expected;
  } cases[] = {
      {"12.50", 12.5},
      {" 12.50", 12.5},
      {"-2.5e3", -2500.0},
      {"1E-2", 0.01},
      {".5", 0.5},
      {"5.", 5.0},
      {"+0", 0.0},
      {"12.50 ", std::nullopt},
      {"12,50", std::nullopt},
      {"1 000", std::nullopt},
      {"abc", std::nullopt},
      {"", std::nullopt},
      // What strtod takes beyond the decimal form.
      {"nan", std::nullopt},
      {"NaN", std::nullopt},
      {"inf", std::nullopt},
      {"-inf", std::nullopt},
      {"infinity", std::nullopt},
      {"0x1p3", std::nullopt},
      {"0x10", std::nullopt},
      {"1e400", std::nullopt},
      {"-1e400", std::nullopt},
      {"1e-400", 0.0},
      {".", std::nullopt},
      {"-", std::nullopt},
      {"1e", std::nullopt},
      {"1e+", std::nullopt},
      {"e5", std::nullopt},
      {"1.5e+3", 1500.0},
      {"\t\n7", 7.0},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_decimal(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ParseDecimal, IgnoresTheProgramLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
  // The locale really uses a decimal comma, so the checks below are meaningful.
  const double comma = std::strtod("12,5", nullptr);
  const std::optional<double> dot = parse_decimal("12.5");
  const std::optional<double> rejected = parse_decimal("12,5");
  const std::optional<std::int32_t> integer = parse_integer(" -12");
  std::setlocale(LC_ALL, saved.c_str());

  ASSERT_EQ(comma, 12.5);
  EXPECT_EQ(dot, 12.5);
  EXPECT_EQ(rejected, std::nullopt);
  EXPECT_EQ(integer, -12);
}

TEST(XmlReadText, TakesFirstChildContentUntrimmed) {
  const struct {
    const char* xml;
    Text expected;
  } cases[] = {
      {"<v>A1</v>", "A1"},
      {"<v> </v>", " "},
      {"<v>\n a \n</v>", "\n a \n"},
      {"<v>first</v><v>second</v>", "first"},
      {"<p:v>prefixed</p:v>", "prefixed"},
      {"<v>a<!-- note -->b<x>nested</x>c</v>", "abc"},
      {"<v><![CDATA[<raw>]]> &amp; more</v>", "<raw> & more"},
      {"<v/>", std::nullopt},
      {"<v></v>", std::nullopt},
      {"<v><x>only nested</x></v>", std::nullopt},
      {"<v><![CDATA[]]></v>", std::nullopt},
      {"<V>case</V>", std::nullopt},
      {"<x><v>grandchild</v></x>", std::nullopt},
  };
  for (const auto& c : cases) {
    const Snippet snippet(c.xml);
    Text field;
    xml_read_text(snippet.root(), "v", field);
    EXPECT_EQ(field, c.expected) << c.xml;
  }
}

// Each row: element content, expected field, or the expected error line when reading fails.
template <typename Field>
struct ReaderCase {
  const char* xml;
  Field expected;
  const char* error;
};

template <typename Field, typename Reader>
void expect_reader(const ReaderCase<Field>& c, Reader read) {
  const Snippet snippet(c.xml);
  Field field;
  const ErrorCode code = read(snippet.root(), field);
  if (c.error == nullptr) {
    EXPECT_EQ(code, ERROR_OK) << c.xml;
    EXPECT_EQ(field, c.expected) << c.xml;
  } else {
    EXPECT_EQ(code, ERROR_XML) << c.xml;
    EXPECT_EQ(error_line(), c.error) << c.xml;
    EXPECT_EQ(field, std::nullopt) << c.xml;
  }
}

TEST(XmlReadInteger, ReportsElementNameOnBadContent) {
  const ReaderCase<Integer> cases[] = {
      {"<Day>7</Day>", 7, nullptr},
      {"<Day> 31</Day>", 31, nullptr},
      {"<Day/>", std::nullopt, nullptr},
      {"<Day>7x</Day>", std::nullopt, "ERROR_XML: Day Invalid integer format."},
      {"<Day>7 </Day>", std::nullopt, "ERROR_XML: Day Invalid integer format."},
      {"<Day> </Day>", std::nullopt, "ERROR_XML: Day Invalid integer format."},
  };
  for (const auto& c : cases) {
    expect_reader(c,
                  [](const xmlNode* root, Integer& field) { return xml_read_integer(root, "Day", field); });
  }
}

TEST(XmlReadDecimal, ReportsElementNameOnBadContent) {
  const char* bad = "ERROR_XML: Amount Invalid decimal format. Use dot '.' as a decimal mark.";
  const ReaderCase<Decimal> cases[] = {
      {"<Amount> 12.50</Amount>", 12.5, nullptr},     {"<Amount>-0.01</Amount>", -0.01, nullptr},
      {"<Amount/>", std::nullopt, nullptr},           {"<Amount>12,50</Amount>", std::nullopt, bad},
      {"<Amount>12.50 </Amount>", std::nullopt, bad}, {"<Amount>EUR 5</Amount>", std::nullopt, bad},
  };
  for (const auto& c : cases) {
    expect_reader(
        c, [](const xmlNode* root, Decimal& field) { return xml_read_decimal(root, "Amount", field); });
  }
}

TEST(XmlReadEnum, MatchesNamesExactly) {
  const char* bad = "ERROR_XML: DirectDebitScheme Invalid enum value.";
  const ReaderCase<Enumeration> cases[] = {
      {"<DirectDebitScheme>other</DirectDebitScheme>", 0, nullptr},
      {"<DirectDebitScheme>SEPA</DirectDebitScheme>", 1, nullptr},
      {"<DirectDebitScheme/>", std::nullopt, nullptr},
      {"<DirectDebitScheme>sepa</DirectDebitScheme>", std::nullopt, bad},
      {"<DirectDebitScheme> SEPA</DirectDebitScheme>", std::nullopt, bad},
  };
  for (const auto& c : cases) {
    expect_reader(c, [](const xmlNode* root, Enumeration& field) {
      return xml_read_enum(root, "DirectDebitScheme", field, kDirectDebitSchemeNames);
    });
  }
}

TEST(XmlReadEnumCode, StoresTheCodeBesideTheName) {
  const ReaderCase<CodeText> cases[] = {
      {"<Periodicity>Monthly</Periodicity>", "m", nullptr},
      {"<Periodicity>Bimonthly</Periodicity>", "B", nullptr},
      {"<Periodicity>Biweekly</Periodicity>", "b", nullptr},
      {"<Periodicity>Semiannually</Periodicity>", "s", nullptr},
      {"<Periodicity>monthly</Periodicity>", std::nullopt, "ERROR_XML: Periodicity Invalid enum value."},
      {"<Periodicity>m</Periodicity>", std::nullopt, "ERROR_XML: Periodicity Invalid enum value."},
  };
  for (const auto& c : cases) {
    expect_reader(c, [](const xmlNode* root, CodeText& field) {
      return xml_read_enum_code(root, "Periodicity", field, kPeriodicityNames, kPeriodicityCodes);
    });
  }
}

TEST(XmlReadFlags, SumsSpaceSeparatedNames) {
  const char* duplicate = "ERROR_XML: PaymentOptions Contains duplicate value.";
  const ReaderCase<FlagSet> cases[] = {
      {"<PaymentOptions>paymentorder  standingorder</PaymentOptions>", 3, nullptr},
      {"<PaymentOptions> directdebit </PaymentOptions>", 4, nullptr},
      {"<PaymentOptions>directdebit paymentorder</PaymentOptions>", 5, nullptr},
      {"<PaymentOptions>cheque</PaymentOptions>", 0, nullptr},
      {"<PaymentOptions>cheque standingorder</PaymentOptions>", 2, nullptr},
      {"<PaymentOptions>paymentorder\nstandingorder</PaymentOptions>", 0, nullptr},
      {"<PaymentOptions>paymentorder\tstandingorder</PaymentOptions>", 0, nullptr},
      {"<PaymentOptions/>", std::nullopt, nullptr},
      {"<PaymentOptions>paymentorder paymentorder</PaymentOptions>", std::nullopt, duplicate},
      {"<PaymentOptions>directdebit cheque directdebit</PaymentOptions>", std::nullopt, duplicate},
  };
  for (const auto& c : cases) {
    expect_reader(c, [](const xmlNode* root, FlagSet& field) {
      return xml_read_flags(root, "PaymentOptions", field, kPaymentOptionsNames);
    });
  }
}

TEST(XmlReadFlags, CoversAllTwelveMonths) {
  const Snippet snippet(
      "<Month>January February March April May June July August September October November December</Month>");
  FlagSet month;
  ASSERT_EQ(xml_read_flags(snippet.root(), "Month", month, kMonthNames), ERROR_OK);
  EXPECT_EQ(month, 4095);
}

struct Item {
  Decimal Value;
};

ErrorCode read_item(const xmlNode* element, Record<Item>& item) {
  item = std::make_unique<Item>();
  return xml_read_decimal(element, "Value", item->Value);
}

TEST(XmlReadList, CollectsItemElementsInOrder) {
  const Snippet snippet(
      "<Items><Item><Value>1</Value></Item><!-- c --><Other/>text<Item/><Item><Value>3</Value></Item></Items>"
      "<Items><Item/></Items>");
  List<Item> list;
  ASSERT_EQ(xml_read_list(snippet.root(), "Items", "Item", list, read_item), ERROR_OK);
  ASSERT_TRUE(list.has_value());
  ASSERT_EQ(list->count(), 3u);
  EXPECT_EQ(list->get(0)->Value, 1.0);
  EXPECT_EQ(list->get(1)->Value, std::nullopt);
  EXPECT_EQ(list->get(2)->Value, 3.0);
}

TEST(XmlReadList, DistinguishesAbsentFromEmpty) {
  List<Item> absent;
  ASSERT_EQ(xml_read_list(Snippet("<Other/>").root(), "Items", "Item", absent, read_item), ERROR_OK);
  EXPECT_FALSE(absent.has_value());

  List<Item> empty;
  ASSERT_EQ(
      xml_read_list(Snippet("<Items><Value>1</Value></Items>").root(), "Items", "Item", empty, read_item),
      ERROR_OK);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
}

TEST(XmlReadList, StopsAtTheFirstBadItem) {
  const Snippet snippet("<Items><Item><Value>1</Value></Item><Item><Value>x</Value></Item><Item/></Items>");
  List<Item> list;
  EXPECT_EQ(xml_read_list(snippet.root(), "Items", "Item", list, read_item), ERROR_XML);
  EXPECT_EQ(error_line(), "ERROR_XML: Value Invalid decimal format. Use dot '.' as a decimal mark.");
  EXPECT_EQ(pointer_list_count(list), 1u);
}

TEST(ErrorCollection, GenericMessagesArePrintedWithLineZero) {
  xml_install_error_handlers();
  ErrorCollection& collection = xml_error_collection();
  collection.clear();
  xmlGenericError(xmlGenericErrorContext, "kept as given: %s\n", "argument");
  collection.append("structured\n", 12);
  EXPECT_EQ(collection.text(), "kept as given: %s\n line:0,\nstructured\n line:12,\n");
  collection.clear();
}

TEST(ErrorCollection, EachThreadCollectsItsOwnMessages) {
  ErrorCollection& mine = xml_error_collection();
  mine.clear();
  mine.append("main\n", 1);
  std::string other_text;
  std::thread([&other_text] {
    xml_error_collection().append("other\n", 2);
    other_text = xml_error_collection().text();
  }).join();
  EXPECT_EQ(other_text, "other\n line:2,\n");
  EXPECT_EQ(mine.text(), "main\n line:1,\n");
  mine.clear();
}

}  // namespace
}  // namespace tolvex
