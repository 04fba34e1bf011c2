// The C interface as a program linked against libtolvex.so sees it: the document handle, the
// last-error parts, misuse, and settings kept per thread.
#include <gtest/gtest.h>
#include <tolvex/tolvex.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tolvex/error.hpp"

namespace {

std::string example(const char* name) {
  std::ifstream in(std::string(TOLVEX_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A text handed out by the library, released with tolvex_free.
struct Owned {
  char* text = nullptr;
  ~Owned() { tolvex_free(text); }
  std::string str() const { return text ? text : "(null)"; }
};

struct Handle {
  tolvex_document* document = nullptr;
  ~Handle() { tolvex_document_free(document); }
};

std::string encoded(const std::string& xml) {
  Owned text;
  EXPECT_EQ(tolvex_encode_xml(xml.data(), xml.size(), &text.text, nullptr), TOLVEX_OK);
  return text.str();
}

TEST(CInterface, VersionAndHeaderMacrosAgree) {
  EXPECT_STREQ(tolvex_version(),
               (std::to_string(TOLVEX_VERSION_MAJOR) + "." + std::to_string(TOLVEX_VERSION_MINOR) + "." +
                std::to_string(TOLVEX_VERSION_PATCH))
                   .c_str());
}

TEST(CInterface, FieldsByPathTellAbsentFromPresent) {
  const std::string xml = example("pay-single.xml");
  Handle handle;
  ASSERT_EQ(tolvex_xml_read_document(xml.data(), xml.size(), &handle.document), TOLVEX_OK);

  struct Case {
    const char* path;
    int kind;
    int present;
    const char* text;  // nullptr: no text
    int has_number;
    double number;
    unsigned count;
  };
  const Case cases[] = {
      {"InvoiceID", TOLVEX_FIELD_TEXT, 1, "FV-2026-0142", 0, 0, 0},
      {"Payments", TOLVEX_FIELD_LIST, 1, nullptr, 0, 0, 1},
      {"Payments/0", TOLVEX_FIELD_RECORD, 1, nullptr, 0, 0, 0},
      {"Payments/0/Amount", TOLVEX_FIELD_DECIMAL, 1, "12480", 1, 12480, 0},
      {"Payments/0/PaymentOptions", TOLVEX_FIELD_FLAGS, 1, "paymentorder", 1, 1, 0},
      {"Payments/0/SpecificSymbol", TOLVEX_FIELD_TEXT, 0, nullptr, 0, 0, 0},
      {"Payments/0/BankAccounts/0/IBAN", TOLVEX_FIELD_TEXT, 1, "CZ6308000000002847561937", 0, 0, 0},
      {"Payments/0/BankAccounts/1/IBAN", TOLVEX_FIELD_TEXT, 0, nullptr, 0, 0, 0},
      {"Payments/3/Amount", TOLVEX_FIELD_DECIMAL, 0, nullptr, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    tolvex_field field{};
    ASSERT_EQ(tolvex_document_field(handle.document, c.path, &field), TOLVEX_OK);
    EXPECT_EQ(field.kind, c.kind);
    EXPECT_EQ(field.present, c.present);
    ASSERT_EQ(field.text != nullptr, c.text != nullptr);
    if (c.text) {
      EXPECT_EQ(std::string(field.text, field.text_length), c.text);
    }
    EXPECT_EQ(field.has_number, c.has_number);
    if (c.has_number) {
      EXPECT_EQ(field.number, c.number);
    }
    EXPECT_EQ(field.count, c.count);
    tolvex_field_clear(&field);
    EXPECT_EQ(field.text, nullptr);

    Owned value;
    ASSERT_EQ(tolvex_document_value(handle.document, c.path, &value.text), TOLVEX_OK);
    EXPECT_EQ(value.text != nullptr, c.text != nullptr);
  }
}

TEST(CInterface, DocumentHandleRoundTripsAndCarriesComputedAmounts) {
  const std::string xml = example("invoice.xml");
  Handle kept;
  Owned text;
  ASSERT_EQ(tolvex_encode_xml_keep_document(xml.data(), xml.size(), &text.text, nullptr, &kept.document),
            TOLVEX_OK);
  EXPECT_EQ(text.str(), encoded(xml));

  Handle decoded;
  ASSERT_EQ(tolvex_decode_document(text.text, std::strlen(text.text), &decoded.document), TOLVEX_OK);
  Owned again, xml_of_handle, xml_of_text, amount;
  ASSERT_EQ(tolvex_encode_document(decoded.document, &again.text, nullptr), TOLVEX_OK);
  EXPECT_EQ(again.str(), text.str());
  ASSERT_EQ(tolvex_xml_write_document(decoded.document, &xml_of_handle.text, nullptr), TOLVEX_OK);
  ASSERT_EQ(tolvex_decode_to_xml(text.text, std::strlen(text.text), &xml_of_text.text, nullptr), TOLVEX_OK);
  EXPECT_EQ(xml_of_handle.str(), xml_of_text.str());
  ASSERT_EQ(tolvex_document_value(decoded.document, "MonetarySummary/PayableAmount", &amount.text),
            TOLVEX_OK);
  EXPECT_NE(xml_of_text.str().find("<PayableAmount>" + amount.str() + "</PayableAmount>"), std::string::npos);

  tolvex_header from_text{}, from_document{};
  ASSERT_EQ(tolvex_read_header(text.text, std::strlen(text.text), &from_text), TOLVEX_OK);
  ASSERT_EQ(tolvex_document_header(decoded.document, &from_document), TOLVEX_OK);
  EXPECT_EQ(from_text.family, TOLVEX_FAMILY_INVOICE);
  EXPECT_EQ(std::memcmp(&from_text, &from_document, sizeof from_text), 0);
}

TEST(CInterface, SummaryOfADocumentIsTheTextAPersonReads) {
  const std::string text = encoded(example("pay-single.xml"));
  Handle decoded;
  ASSERT_EQ(tolvex_decode_document(text.data(), text.size(), &decoded.document), TOLVEX_OK);
  std::ifstream in(std::string(TOLVEX_SOURCE_DIR) + "/tests/pipeline/summaries/pay-single.txt",
                   std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(in), {}};

  Owned summary;
  size_t length = 0;
  ASSERT_EQ(tolvex_document_summary(decoded.document, &summary.text, &length), TOLVEX_OK);
  EXPECT_EQ(summary.str(), expected);
  EXPECT_EQ(length, expected.size());
  Owned without_length;
  ASSERT_EQ(tolvex_document_summary(decoded.document, &without_length.text, nullptr), TOLVEX_OK);
  EXPECT_EQ(without_length.str(), expected);

  char* nothing = nullptr;
  EXPECT_EQ(tolvex_document_summary(nullptr, &nothing, &length), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_document_summary(decoded.document, nullptr, &length), TOLVEX_ERROR_NULL_POINTER);
  std::vector<std::uint32_t> not_a_handle(16, 0);
  EXPECT_EQ(
      tolvex_document_summary(reinterpret_cast<tolvex_document*>(not_a_handle.data()), &nothing, &length),
      TOLVEX_ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(nothing, nullptr);
}

TEST(CInterface, MisuseIsReportedNeverACrash) {
  const std::string xml = example("pay-single.xml");
  Handle handle;
  ASSERT_EQ(tolvex_xml_read_document(xml.data(), xml.size(), &handle.document), TOLVEX_OK);
  tolvex_field field{};
  char* text = nullptr;
  tolvex_header header{};

  struct Case {
    const char* what;
    int code;
    int expected;
  };
  const Case cases[] = {
      {"field of no document", tolvex_document_field(nullptr, "InvoiceID", &field),
       TOLVEX_ERROR_NULL_POINTER},
      {"field without a path", tolvex_document_field(handle.document, nullptr, &field),
       TOLVEX_ERROR_NULL_POINTER},
      {"field without a place", tolvex_document_field(handle.document, "InvoiceID", nullptr),
       TOLVEX_ERROR_NULL_POINTER},
      {"unknown path", tolvex_document_field(handle.document, "Payments/0/Nothing", &field),
       TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"list position not a number", tolvex_document_value(handle.document, "Payments/first/Amount", &text),
       TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"read without a place", tolvex_xml_read_document(xml.data(), xml.size(), nullptr),
       TOLVEX_ERROR_NULL_POINTER},
      // A missing text reads as no base32hex, as the decoder has always reported it.
      {"decode without text", tolvex_decode_document(nullptr, 4, &handle.document), TOLVEX_ERROR_BASE32HEX},
      {"short text", tolvex_read_header("00", 2, &header), TOLVEX_ERROR_UNKNOWN_DOCUMENT},
      {"header without a place", tolvex_read_header("0000", 4, nullptr), TOLVEX_ERROR_NULL_POINTER},
      {"encode no document", tolvex_encode_document(nullptr, &text, nullptr), TOLVEX_ERROR_NULL_POINTER},
      {"root of no family", tolvex_xml_read_document("<Payment/>", 10, &handle.document),
       TOLVEX_ERROR_NULL_POINTER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.code, c.expected);
  }
  EXPECT_EQ(text, nullptr);
  ASSERT_NE(handle.document, nullptr);  // failures leave the caller's handle alone

  // A pointer that is not a handle of this library is ignored rather than freed.
  std::vector<std::uint32_t> not_a_handle(16, 0);
  tolvex_document_free(reinterpret_cast<tolvex_document*>(not_a_handle.data()));
  tolvex_document_free(nullptr);
  EXPECT_EQ(
      tolvex_document_field(reinterpret_cast<tolvex_document*>(not_a_handle.data()), "InvoiceID", &field),
      TOLVEX_ERROR_ILLEGAL_ARGUMENT);
}

TEST(CInterface, LastErrorPartsMakeTheErrorLine) {
  const char broken[] = "<Pay><Payments>";
  Owned text;
  const int code = tolvex_encode_xml(broken, sizeof broken - 1, &text.text, nullptr);
  EXPECT_EQ(code, TOLVEX_ERROR_XML);
  EXPECT_EQ(tolvex_last_error_code(), code);
  Owned message, detail, line;
  message.text = tolvex_last_error_message();
  detail.text = tolvex_last_error_detail();
  line.text = tolvex_error_line();
  EXPECT_FALSE(message.str().empty());
  EXPECT_EQ(line.str(), tolvex::error_line());
  EXPECT_EQ(line.str().rfind("ERROR_XML: " + message.str(), 0), 0u);
  EXPECT_NE(line.str().find(detail.str()), std::string::npos);
}

// Each thread keeps its own sequence limit and last error: a thread that lowers its limit fails
// where the others succeed, and its failure is not seen by them.
TEST(CInterface, ThreadsKeepTheirOwnSettingsAndErrors) {
  const std::string xml = example("invoice.xml");
  const std::string expected = encoded(xml);
  constexpr int kThreads = 6;
  std::vector<std::string> texts(kThreads);
  std::vector<int> codes(kThreads), last(kThreads);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&, t] {
        if (t % 2) tolvex_set_sequence_limit(4);
        for (int round = 0; round < 20; ++round) {
          Owned text;
          codes[t] = tolvex_encode_xml(xml.data(), xml.size(), &text.text, nullptr);
          last[t] = tolvex_last_error_code();
          texts[t] = text.text ? text.text : "";
        }
      });
  }
  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE(t);
    if (t % 2) {
      EXPECT_EQ(codes[t], TOLVEX_ERROR_SEQUENCE_LIMIT_EXCEEDED);
      EXPECT_EQ(last[t], TOLVEX_ERROR_SEQUENCE_LIMIT_EXCEEDED);
    } else {
      EXPECT_EQ(codes[t], TOLVEX_OK);
      EXPECT_EQ(texts[t], expected);
    }
  }
}

}  // namespace

namespace {

TEST(CInterface, JsonFormEncodesAndDecodesLikeXml) {
  for (const char* name : {"pay-standing-order.xml", "invoice-debit-note.xml", "invoice-items.xml"}) {
    SCOPED_TRACE(name);
    const std::string text = encoded(example(name));
    Owned json;
    std::size_t json_length = 0;
    ASSERT_EQ(tolvex_decode_to_json(text.data(), text.size(), &json.text, &json_length), TOLVEX_OK);
    EXPECT_EQ(json_length, std::strlen(json.text));
    EXPECT_EQ(json.str().front(), '{');
    Owned again;
    std::size_t again_length = 0;
    ASSERT_EQ(tolvex_encode_json(json.text, json_length, &again.text, &again_length), TOLVEX_OK)
        << tolvex::error_line();
    EXPECT_EQ(again.str(), text);
    EXPECT_EQ(again_length, text.size());
  }
}

TEST(CInterface, JsonFailuresAreReportedWithTheirCode) {
  const std::string json = R"({"Pay":{"Payments":[{"Amount":"1"}]}})";
  Owned out;
  EXPECT_EQ(tolvex_encode_json(json.data(), json.size(), &out.text, nullptr), TOLVEX_ERROR_XML);
  Owned line;
  line.text = tolvex_error_line();
  EXPECT_EQ(line.str(), "ERROR_XML: /Pay/Payments/0/Amount is not a JSON number. ");
  EXPECT_EQ(tolvex_encode_json("{", 1, &out.text, nullptr), TOLVEX_ERROR_XML);
  EXPECT_EQ(tolvex_encode_json(nullptr, 4, &out.text, nullptr), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_encode_json(json.data(), json.size(), nullptr, nullptr), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_decode_to_json("0000", 4, nullptr, nullptr), TOLVEX_ERROR_NULL_POINTER);
  // A missing text reads as no base32hex, as tolvex_decode_to_xml reports it.
  EXPECT_EQ(tolvex_decode_to_json(nullptr, 4, &out.text, nullptr), TOLVEX_ERROR_BASE32HEX);
  EXPECT_EQ(tolvex_decode_to_json("00", 2, &out.text, nullptr), TOLVEX_ERROR_UNKNOWN_DOCUMENT);
  EXPECT_EQ(out.text, nullptr);
}

}  // namespace

TEST(CInterface, CheckHandsOutTheReportAsJson) {
  const std::string xml = example("pay-single.xml");
  Owned report;
  size_t length = 0;
  ASSERT_EQ(tolvex_check(xml.data(), xml.size(), &report.text, &length), TOLVEX_OK);
  EXPECT_EQ(report.str(), R"({"valid":true,"diagnostics":[]})");
  EXPECT_EQ(length, report.str().size());

  std::string broken = xml;
  broken.replace(broken.find("CZK"), 3, "CZKK");
  Owned failing;
  ASSERT_EQ(tolvex_check(broken.data(), broken.size(), &failing.text, nullptr), TOLVEX_OK);
  EXPECT_EQ(failing.str().rfind(R"({"valid":false,"diagnostics":[{"severity":"error","rule":"currency.format",)"
                                R"("path":"Payments/0/CurrencyCode","line":8,"column":7,"value":"CZKK")",
                                0),
            0u)
      << failing.str();

  char* nothing = nullptr;
  EXPECT_EQ(tolvex_check(nullptr, 0, &nothing, &length), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_check(xml.data(), xml.size(), nullptr, &length), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(nothing, nullptr);
}

namespace print {

// Bytes handed out by the library, released with tolvex_free.
struct OwnedBytes {
  unsigned char* data = nullptr;
  int32_t size = 0;
  ~OwnedBytes() { tolvex_free(data); }
  std::string str() const { return data ? std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)) : ""; }
};

std::string xml_escaped(const std::string& text) {
  std::string out;
  for (const char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  return out;
}

TEST(CPrint, DescribesTheCodeWithTheDocumentsSummary) {
  const std::string text = encoded(example("invoice.xml"));
  std::ifstream in(std::string(TOLVEX_SOURCE_DIR) + "/tests/pipeline/summaries/invoice.txt", std::ios::binary);
  std::string summary{std::istreambuf_iterator<char>(in), {}};
  while (!summary.empty() && summary.back() == '\n') summary.pop_back();
  const std::string title = summary.substr(0, summary.find('\n'));

  tolvex_print_options options;
  tolvex_print_options_init(&options);
  options.format = TOLVEX_FORMAT_SVG;
  OwnedBytes svg;
  ASSERT_EQ(tolvex_print_write_memory(text.c_str(), &options, &svg.data, &svg.size), TOLVEX_OK);
  EXPECT_NE(svg.str().find("<title>" + xml_escaped(title) + "</title><desc>" + xml_escaped(summary) + "</desc>"),
            std::string::npos)
      << svg.str().substr(0, 400);
  EXPECT_EQ(svg.str().find("id="), std::string::npos);

  // Without describing, no texts; the same options give the same bytes again.
  options.describe = 0;
  OwnedBytes bare, again;
  ASSERT_EQ(tolvex_print_write_memory(text.c_str(), &options, &bare.data, &bare.size), TOLVEX_OK);
  ASSERT_EQ(tolvex_print_write_memory(text.c_str(), &options, &again.data, &again.size), TOLVEX_OK);
  EXPECT_EQ(bare.str().find("<title>"), std::string::npos);
  EXPECT_EQ(bare.str(), again.str());
}

TEST(CPrint, RefusesWhatItCannotDraw) {
  const std::string text = encoded(example("pay-single.xml"));
  tolvex_print_options options;
  tolvex_print_options_init(&options);
  OwnedBytes out;
  EXPECT_EQ(tolvex_print_write_memory(text.c_str(), nullptr, &out.data, &out.size), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_print_write_memory(text.c_str(), &options, nullptr, &out.size), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_print_write_file(text.c_str(), &options, nullptr), TOLVEX_ERROR_NULL_POINTER);

  struct Case {
    const char* name;
    void (*change)(tolvex_print_options&);
    int code;
  };
  const Case cases[] = {
      {"format 3", [](tolvex_print_options& o) { o.format = 3; }, TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"margin 2", [](tolvex_print_options& o) { o.margin = 2; }, TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"paper 4", [](tolvex_print_options& o) { o.format = TOLVEX_FORMAT_PDF, o.paper = 4; }, TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"position 9", [](tolvex_print_options& o) { o.format = TOLVEX_FORMAT_PDF, o.paper = 0, o.position = 9; },
       TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"paper for PNG", [](tolvex_print_options& o) { o.paper = 0; }, TOLVEX_ERROR_ILLEGAL_ARGUMENT},
      {"off an A6 sheet",
       [](tolvex_print_options& o) { o.format = TOLVEX_FORMAT_PDF, o.paper = 2, o.position = -1, o.at_x = 90, o.physical_size = 40; },
       TOLVEX_ERROR_ILLEGAL_ARGUMENT},
  };
  for (const Case& c : cases) {
    tolvex_print_options changed = options;
    c.change(changed);
    EXPECT_EQ(tolvex_print_write_memory(text.c_str(), &changed, &out.data, &out.size), c.code) << c.name;
    EXPECT_EQ(out.data, nullptr) << c.name;
  }
  // Described, a text that is no tolvex text fails as decoding it does; plain, it is drawn.
  EXPECT_EQ(tolvex_print_write_memory("hello", &options, &out.data, &out.size), TOLVEX_ERROR_BASE32HEX);
  options.describe = 0;
  EXPECT_EQ(tolvex_print_write_memory("hello", &options, &out.data, &out.size), TOLVEX_OK);
}

TEST(CPrint, StampsAPdfAndRefusesOneItCannotRead) {
  const std::string text = encoded(example("invoice.xml"));
  const std::string dir = ::testing::TempDir();
  const std::string page = dir + "/c-page.pdf";
  const std::string out = dir + "/c-stamped.pdf";
  tolvex_print_options options;
  tolvex_print_options_init(&options);
  options.format = TOLVEX_FORMAT_PDF;
  options.paper = 0;
  options.physical_size = 20;
  ASSERT_EQ(tolvex_print_write_file(text.c_str(), &options, page.c_str()), TOLVEX_OK);
  tolvex_print_options stamp;
  tolvex_print_options_init(&stamp);
  stamp.position = 8;
  ASSERT_EQ(tolvex_stamp_pdf(text.c_str(), &stamp, 0, page.c_str(), out.c_str()), TOLVEX_OK);
  std::ifstream in(out, std::ios::binary);
  const std::string stamped{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(stamped.rfind("%PDF-", 0), 0u);
  EXPECT_GT(stamped.size(), 0u);
  EXPECT_EQ(tolvex_stamp_pdf(text.c_str(), &stamp, 2, page.c_str(), out.c_str()), TOLVEX_ERROR_ILLEGAL_ARGUMENT);
  EXPECT_EQ(tolvex_stamp_pdf(text.c_str(), &stamp, 0, (dir + "/missing.pdf").c_str(), out.c_str()), TOLVEX_ERROR_IO);
  EXPECT_EQ(tolvex_stamp_pdf(text.c_str(), nullptr, 0, page.c_str(), out.c_str()), TOLVEX_ERROR_NULL_POINTER);
  EXPECT_EQ(tolvex_stamp_pdf(text.c_str(), &stamp, 0, page.c_str(), nullptr), TOLVEX_ERROR_NULL_POINTER);
}

}  // namespace print
