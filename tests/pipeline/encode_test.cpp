#include "tolvex/encode.hpp"

#include <gtest/gtest.h>
#include <lzma.h>

#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "codec/base32hex.h"
#include "codec/checksum.h"
#include "codec/compression.h"
#include "codec/field_buffer.h"
#include "pipeline/serialise.h"
#include "support/process.h"
#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/pay.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

std::string hex(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : bytes) text.append({kDigits[b >> 4], kDigits[b & 0xF]});
  return text;
}

Bytes from_hex(std::string_view text) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

Bytes random_bytes(std::size_t n, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  Bytes bytes(n);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(byte(generator));
  return bytes;
}

// The script that checks our output with Python's base64, lzma and zlib.
test::ProcessResult run_python(const std::string& command, const std::string& input) {
  const std::string script = std::string(TOLVEX_SOURCE_DIR) + "/tests/codec/check_container.py";
  return test::run_with_input("/usr/bin/python3 " + test::shell_quote(script) + " " + command, input);
}

void expect_python_accepts(const std::string& text, const DocumentHeader& header, const std::string& fields) {
  const Bytes header_bytes(header.bytes.begin(), header.bytes.end());
  const test::ProcessResult result =
      run_python("check", text + "\n" + hex(header_bytes) + "\n" + hex(bytes_of(fields)) + "\n");
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.out, "OK\n");
}

std::string field_text(const Document* document) {
  FieldBuffer buffer;
  EXPECT_EQ(serialise_document(buffer, document), ERROR_OK);
  return field_buffer_join(buffer);
}

// Pulls an encoded text apart again: header, length field and payload.
struct Opened {
  Bytes header;
  std::size_t length_field = 0;
  std::string fields;
};

Opened open_container(const std::string& text) {
  Opened opened;
  Bytes container;
  EXPECT_EQ(base32hex_decode(text.data(), text.size(), &container), ERROR_OK);
  if (container.size() < 4) {
    ADD_FAILURE() << "container of " << container.size() << " bytes";
    return opened;
  }
  opened.header.assign(container.begin(), container.begin() + 2);
  opened.length_field = container[2] | (std::size_t{container[3]} << 8);
  Bytes payload;
  EXPECT_EQ(decompress_payload(container.data() + 2, container.size() - 2, &payload), ERROR_OK);
  EXPECT_EQ(payload.size(), opened.length_field);
  if (payload.size() < 4) return opened;
  const std::uint32_t stored =
      payload[0] | (payload[1] << 8) | (payload[2] << 16) | (std::uint32_t{payload[3]} << 24);
  EXPECT_EQ(stored, crc32(payload.data() + 4, payload.size() - 4));
  opened.fields.assign(payload.begin() + 4, payload.end());
  return opened;
}

// Restores the calling thread's sequence limit when a test that changed it ends.
class ScopedSequenceLimit {
 public:
  explicit ScopedSequenceLimit(std::uint32_t limit) : previous_(serialisation_sequence_limit()) {
    serialisation_set_sequence_limit(limit);
  }
  ~ScopedSequenceLimit() { serialisation_set_sequence_limit(previous_); }

 private:
  std::uint32_t previous_;
};

// Documents that pass validation.
DocumentPtr<Pay> valid_pay(const std::string& note) {
  auto pay = pay_new();
  pay->InvoiceID = "INV-2024-1";
  auto payment = std::make_unique<Payment>();
  payment->PaymentOptions = kPaymentOptionPaymentOrder;
  payment->Amount = 100.25;
  payment->CurrencyCode = "EUR";
  payment->PaymentDueDate = "2024-01-15";
  payment->VariableSymbol = "1234567890";
  payment->PaymentNote = note;
  auto account = std::make_unique<BankAccount>();
  account->IBAN = "SK3112000000198742637541";
  account->BIC = "TATRSKBX";
  payment->BankAccounts.emplace();
  payment->BankAccounts->append(std::move(account));
  pay->Payments.emplace();
  pay->Payments->append(std::move(payment));
  return pay;
}

DocumentPtr<Invoice> valid_invoice(unsigned document_type) {
  auto invoice = invoice_new();
  invoice->header.set_document_type(document_type);
  invoice->InvoiceID = "F2024-17";
  invoice->IssueDate = "2024-02-29";
  invoice->LocalCurrencyCode = "EUR";
  invoice->SupplierParty = std::make_unique<SupplierParty>();
  invoice->SupplierParty->PartyName = "Supplier s.r.o.";
  invoice->SupplierParty->PostalAddress = std::make_unique<PostalAddress>();
  invoice->SupplierParty->PostalAddress->StreetName = "Main";
  invoice->SupplierParty->PostalAddress->CityName = "Bratislava";
  invoice->SupplierParty->PostalAddress->PostalZone = "81101";
  invoice->SupplierParty->PostalAddress->Country = "SVK";
  invoice->CustomerParty = std::make_unique<CustomerParty>();
  invoice->CustomerParty->PartyName = "Customer a.s.";
  invoice->NumberOfInvoiceLines = 3;
  auto summary = std::make_unique<TaxCategorySummary>();
  summary->ClassifiedTaxCategory = 0.2;
  summary->TaxExclusiveAmount = 100;
  summary->TaxAmount = 20;
  summary->AlreadyClaimedTaxExclusiveAmount = 0;
  summary->AlreadyClaimedTaxAmount = 0;
  invoice->TaxCategorySummaries.emplace();
  invoice->TaxCategorySummaries->append(std::move(summary));
  invoice->MonetarySummary = std::make_unique<MonetarySummary>();
  invoice->MonetarySummary->PayableRoundingAmount = 0;
  invoice->MonetarySummary->PaidDepositsAmount = 0;
  return invoice;
}

DocumentPtr<InvoiceItems> valid_invoice_items() {
  auto items = invoice_items_new();
  items->InvoiceID = "F2024-17";
  items->FirstInvoiceLineID = "0007";
  auto line = std::make_unique<InvoiceLine>();
  line->ItemName = "Widget";
  line->InvoicedQuantity = 2;
  line->UnitPriceTaxExclusiveAmount = 9.99;
  line->UnitPriceTaxAmount = 2;
  line->ClassifiedTaxCategory = 0.2;
  items->InvoiceLines.emplace();
  items->InvoiceLines->append(std::move(line));
  return items;
}

TEST(Crc32, CheckValues) {
  EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xCBF43926u);
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>(fox.data()), fox.size()), 0x414FA339u);
  EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>("x"), 0), 0u);
  EXPECT_EQ(crc32(nullptr, 5), 0u);
}

TEST(CompressBound, ReservesAThirdMoreAnd130) {
  EXPECT_EQ(compress_bound(0), 130u);
  EXPECT_EQ(compress_bound(3), 134u);
  EXPECT_EQ(compress_bound(554), 868u);
}

struct Payload {
  const char* name;
  Bytes bytes;
};

void PrintTo(const Payload& payload, std::ostream* out) { *out << payload.name; }

class CompressionRoundTripTest : public ::testing::TestWithParam<Payload> {};

TEST_P(CompressionRoundTripTest, WritesTheLengthAndDecompressesBack) {
  const Bytes& payload = GetParam().bytes;
  std::size_t capacity = compress_bound(payload.size());
  Bytes destination(capacity);
  ASSERT_EQ(compress_payload(payload.data(), payload.size(), destination.data(), &capacity), ERROR_OK);
  ASSERT_GT(capacity, 2u);
  ASSERT_LE(capacity, destination.size());
  EXPECT_EQ(destination[0], payload.size() & 0xFF);
  EXPECT_EQ(destination[1], payload.size() >> 8);
  EXPECT_EQ(destination[2], 0x00) << "a raw stream begins with the range coder's zero byte";

  Bytes decompressed;
  ASSERT_EQ(decompress_payload(destination.data(), capacity, &decompressed), ERROR_OK);
  EXPECT_EQ(decompressed, payload);
}

TEST_P(CompressionRoundTripTest, StreamHasNoEndMarker) {
  const Bytes& payload = GetParam().bytes;
  std::size_t capacity = compress_bound(payload.size());
  Bytes destination(capacity);
  ASSERT_EQ(compress_payload(payload.data(), payload.size(), destination.data(), &capacity), ERROR_OK);

  // liblzma's strict mode refuses an end marker once the known size has been produced.
  lzma_options_lzma options{};
  options.dict_size = 131072;
  options.lc = 3;
  options.lp = 0;
  options.pb = 2;
  options.ext_flags = 0;
  lzma_set_ext_size(options, payload.size());
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  ASSERT_EQ(lzma_raw_decoder(&stream, filters), LZMA_OK);
  Bytes out(payload.size() + 16);
  stream.next_in = destination.data() + 2;
  stream.avail_in = capacity - 2;
  stream.next_out = out.data();
  stream.avail_out = out.size();
  const lzma_ret result = lzma_code(&stream, LZMA_FINISH);
  EXPECT_EQ(result, LZMA_STREAM_END);
  EXPECT_EQ(stream.avail_in, 0u);
  EXPECT_EQ(stream.total_out, payload.size());
  lzma_end(&stream);
}

INSTANTIATE_TEST_SUITE_P(Payloads, CompressionRoundTripTest,
                         ::testing::Values(Payload{"empty", {}}, Payload{"one_byte", {0x41}},
                                           Payload{"repeating", bytes_of("abcabcabcabcabcabcabcabcabc")},
                                           Payload{"random_554", random_bytes(554, 1)},
                                           Payload{"random_4000", random_bytes(4000, 2)},
                                           Payload{"spaces_20000", Bytes(20000, 0x20)}),
                         [](const ::testing::TestParamInfo<Payload>& info) {
                           return std::string(info.param.name);
                         });

TEST(CompressPayload, FailsWhenTheOutputDoesNotFit) {
  const Bytes payload = random_bytes(100, 3);
  for (const std::size_t capacity : {std::size_t{0}, std::size_t{2}, std::size_t{8}, std::size_t{60}}) {
    std::size_t room = capacity;
    Bytes destination(std::max<std::size_t>(capacity, 1), 0xEE);
    set_error_message(ERROR_OK, "");
    EXPECT_EQ(compress_payload(payload.data(), payload.size(), destination.data(), &room), ERROR_COMPRESSION);
    EXPECT_EQ(last_error().message, "Compression error. ");
    EXPECT_EQ(room, capacity);
  }
}

TEST(CompressPayload, RefusesAPayloadTheLengthFieldCannotHold) {
  const Bytes payload(65536, 'a');
  std::size_t capacity = compress_bound(payload.size());
  Bytes destination(capacity);
  EXPECT_EQ(compress_payload(payload.data(), payload.size(), destination.data(), &capacity),
            ERROR_COMPRESSION);
  EXPECT_EQ(last_error().message, "Compression error. ");

  const Bytes largest(65535, 'a');
  capacity = compress_bound(largest.size());
  destination.resize(capacity);
  ASSERT_EQ(compress_payload(largest.data(), largest.size(), destination.data(), &capacity), ERROR_OK);
  EXPECT_EQ(destination[0], 0xFF);
  EXPECT_EQ(destination[1], 0xFF);
}

Bytes compressed(const Bytes& payload) {
  std::size_t capacity = compress_bound(payload.size());
  Bytes destination(capacity);
  EXPECT_EQ(compress_payload(payload.data(), payload.size(), destination.data(), &capacity), ERROR_OK);
  destination.resize(capacity);
  return destination;
}

TEST(DecompressPayload, TooShortInput) {
  const Bytes one = {0x05};
  Bytes out = {0xEE};
  for (const std::size_t length : {std::size_t{0}, std::size_t{1}}) {
    EXPECT_EQ(decompress_payload(one.data(), length, &out), ERROR_COMPRESSION);
    EXPECT_EQ(last_error().message, "Invalid compressed data. ");
  }
  EXPECT_EQ(decompress_payload(nullptr, 10, &out), ERROR_COMPRESSION);
  EXPECT_EQ(last_error().message, "Invalid compressed data. ");
  EXPECT_EQ(out, Bytes{0xEE});
}

TEST(DecompressPayload, StreamCutShort) {
  const Bytes stream = compressed(random_bytes(300, 4));
  for (const std::size_t cut :
       {std::size_t{2}, std::size_t{3}, std::size_t{7}, stream.size() / 2, stream.size() - 1}) {
    Bytes out = {0xEE};
    set_error_message(ERROR_OK, "");
    EXPECT_EQ(decompress_payload(stream.data(), cut, &out), ERROR_COMPRESSION) << cut;
    EXPECT_EQ(last_error().message, "Decompression error. ") << cut;
    EXPECT_EQ(out, Bytes{0xEE});
  }
}

TEST(DecompressPayload, CorruptStream) {
  Bytes stream = compressed(bytes_of("corrupt me, corrupt me"));
  stream[2] = 0xFF;  // a range coder stream cannot begin with a nonzero byte
  EXPECT_EQ(decompress_payload(stream.data(), stream.size(), nullptr), ERROR_COMPRESSION);
  EXPECT_EQ(last_error().message, "Decompression error. ");
}

TEST(DecompressPayload, LengthZeroAndInputLeftOver) {
  const Bytes empty = {0x00, 0x00};
  Bytes out = {0xEE};
  EXPECT_EQ(decompress_payload(empty.data(), empty.size(), &out), ERROR_OK);
  EXPECT_TRUE(out.empty());

  const Bytes payload = bytes_of("stops after the length it was given");
  Bytes stream = compressed(payload);
  stream.insert(stream.end(), {0x12, 0x34, 0x56, 0x78});
  ASSERT_EQ(decompress_payload(stream.data(), stream.size(), &out), ERROR_OK);
  EXPECT_EQ(out, payload);

  // A smaller length field reads only the start of the stream.
  stream[0] = 6;
  ASSERT_EQ(decompress_payload(stream.data(), stream.size(), &out), ERROR_OK);
  EXPECT_EQ(out, bytes_of("stops "));
}

// Streams from encoders other than ours: Python's raw LZMA1 (which ends with a marker) and the
// script's own literal encoder (no marker).
class ForeignStreamTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ForeignStreamTest, DecompressPayloadReadsThem) {
  const std::vector<Bytes> payloads = {bytes_of("Hello, world!"), bytes_of("abababababababababababab"),
                                       random_bytes(554, 5), Bytes(1000, 0)};
  for (const Bytes& payload : payloads) {
    const test::ProcessResult result = run_python(GetParam(), hex(payload) + "\n");
    ASSERT_EQ(result.status, 0) << result.err;
    Bytes source = {static_cast<std::uint8_t>(payload.size() & 0xFF),
                    static_cast<std::uint8_t>(payload.size() >> 8)};
    const Bytes stream = from_hex(result.out);
    ASSERT_FALSE(stream.empty());
    source.insert(source.end(), stream.begin(), stream.end());
    Bytes out;
    ASSERT_EQ(decompress_payload(source.data(), source.size(), &out), ERROR_OK) << hex(stream);
    EXPECT_EQ(out, payload);
  }
}

INSTANTIATE_TEST_SUITE_P(Python, ForeignStreamTest, ::testing::Values("compress", "literal"));

TEST(EncodeDocument, NullArguments) {
  const auto pay = valid_pay("note");
  EXPECT_EQ(encode_document(pay.get(), nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Base32hex pointer cannot be NULL.");
  std::string text = "unchanged";
  EXPECT_EQ(encode_document(nullptr, &text), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Document cannot be null. ");
  EXPECT_EQ(text, "unchanged");
}

TEST(EncodeDocument, InvalidDocumentIsRefusedWithItsValidationError) {
  auto pay = valid_pay("note");
  pay->Payments.reset();
  std::string text = "unchanged";
  EXPECT_EQ(encode_document(pay.get(), &text), ERROR_INVALID_VALUE);
  EXPECT_EQ(last_error().message, "Payments");
  EXPECT_EQ(text, "unchanged");
}

struct HeaderCase {
  const char* name;
  DocumentPtr<> (*make)();
  std::array<std::uint8_t, 2> header;
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class EncodeDocumentHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(EncodeDocumentHeaderTest, ContainerHoldsHeaderLengthChecksumAndText) {
  const DocumentPtr<> document = GetParam().make();
  std::string text;
  ASSERT_EQ(encode_document(document.get(), &text), ERROR_OK) << last_error().message << last_error().detail;
  const std::string fields = field_text(document.get());
  const Opened opened = open_container(text);
  EXPECT_EQ(opened.header, Bytes(GetParam().header.begin(), GetParam().header.end()));
  EXPECT_EQ(opened.length_field, fields.size() + 4);
  EXPECT_EQ(opened.fields, fields);
  expect_python_accepts(text, document->header, fields);
}

INSTANTIATE_TEST_SUITE_P(
    Families, EncodeDocumentHeaderTest,
    ::testing::Values(
        HeaderCase{"Pay", [] { return DocumentPtr<>(valid_pay("for\tcoffee").release()); }, {0x00, 0x00}},
        HeaderCase{"Invoice", [] { return DocumentPtr<>(valid_invoice(0).release()); }, {0x10, 0x00}},
        HeaderCase{"CreditNote", [] { return DocumentPtr<>(valid_invoice(2).release()); }, {0x10, 0x20}},
        HeaderCase{
            "InvoiceItems", [] { return DocumentPtr<>(valid_invoice_items().release()); }, {0x20, 0x00}}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

TEST(EncodeDocument, UnknownFamilyFailsTheSequenceLimit) {
  auto pay = valid_pay("note");
  pay->header.bytes = {0x30, 0x00};
  std::string text = "unchanged";
  EXPECT_EQ(encode_document(pay.get(), &text), ERROR_SEQUENCE_LIMIT_EXCEEDED);
  EXPECT_EQ(text, "unchanged");
}

TEST(EncodeDocument, HundredByteTextGivesLength104) {
  auto pay = valid_pay("");
  const std::size_t base = field_text(pay.get()).size();
  ASSERT_LT(base, 100u);
  pay->Payments->get(0)->PaymentNote = std::string(100 - base, 'n');
  ASSERT_EQ(field_text(pay.get()).size(), 100u);
  std::string text;
  ASSERT_EQ(encode_document(pay.get(), &text), ERROR_OK);
  Bytes container;
  ASSERT_EQ(base32hex_decode(text.data(), text.size(), &container), ERROR_OK);
  ASSERT_GE(container.size(), 4u);
  EXPECT_EQ(container[2], 0x68);
  EXPECT_EQ(container[3], 0x00);
  EXPECT_EQ(text.size(), (8 * container.size() + 4) / 5);
}

TEST(EncodeDocument, SequenceLimitAt550And551) {
  auto pay = valid_pay("");
  const std::size_t base = field_text(pay.get()).size();
  pay->Payments->get(0)->PaymentNote = std::string(550 - base, 'n');
  std::string text;
  ASSERT_EQ(encode_document(pay.get(), &text), ERROR_OK);
  EXPECT_EQ(open_container(text).length_field, 554u);

  pay->Payments->get(0)->PaymentNote->push_back('n');
  text = "unchanged";
  EXPECT_EQ(encode_document(pay.get(), &text), ERROR_SEQUENCE_LIMIT_EXCEEDED);
  EXPECT_EQ(last_error().message, "Sequence limit exceeded.");
  EXPECT_EQ(text, "unchanged");
}

TEST(EncodeDocument, RaisedLimitStillStopsAtTheLengthField) {
  const ScopedSequenceLimit raised(1000000);
  auto pay = valid_pay("");
  const std::size_t base = field_text(pay.get()).size();

  pay->Payments->get(0)->PaymentNote = std::string(65531 - base, 'n');
  std::string text;
  ASSERT_EQ(encode_document(pay.get(), &text), ERROR_OK);
  const Opened opened = open_container(text);
  EXPECT_EQ(opened.length_field, 65535u);
  EXPECT_EQ(opened.fields, field_text(pay.get()));

  pay->Payments->get(0)->PaymentNote->push_back('n');
  text = "unchanged";
  EXPECT_EQ(encode_document(pay.get(), &text), ERROR_SEQUENCE_LIMIT_EXCEEDED);
  EXPECT_EQ(last_error().message, "Sequence limit exceeded.");
  EXPECT_EQ(text, "unchanged");
}

TEST(EncodeDocument, LimitIsPerThread) {
  auto pay = valid_pay(std::string(600, 'n'));
  std::string text;
  EXPECT_EQ(encode_document(pay.get(), &text), ERROR_SEQUENCE_LIMIT_EXCEEDED);
  const ScopedSequenceLimit raised(1000);
  EXPECT_EQ(encode_document(pay.get(), &text), ERROR_OK);
}

TEST(EncodeDocument, RepeatedEncodingGivesTheSameText) {
  const auto invoice = valid_invoice(0);
  const auto pay = valid_pay("x");
  std::string first;
  std::string between;
  std::string second;
  ASSERT_EQ(encode_document(invoice.get(), &first), ERROR_OK);
  ASSERT_EQ(encode_document(pay.get(), &between), ERROR_OK);
  ASSERT_EQ(encode_document(invoice.get(), &second), ERROR_OK);
  EXPECT_EQ(first, second);
}

// XML of each family that passes validation, for when no example files are at hand.
const std::vector<std::string>& own_xml() {
  static const std::vector<std::string> xml = {
      "<Pay><InvoiceID>X-1</InvoiceID><Payments><Payment><PaymentOptions>paymentorder</PaymentOptions>"
      "<Amount>12.5</Amount><CurrencyCode>EUR</CurrencyCode><PaymentDueDate>2024-01-15</PaymentDueDate>"
      "<PaymentNote>f\xC3\xBCr Kaffee</PaymentNote><BankAccounts><BankAccount>"
      "<IBAN>SK3112000000198742637541</IBAN><BIC>TATRSKBX</BIC></BankAccount></BankAccounts>"
      "</Payment></Payments></Pay>",
      "<Invoice type=\"DebitNote\"><InvoiceID>F1</InvoiceID><IssueDate>2024-03-01</IssueDate>"
      "<LocalCurrencyCode>EUR</LocalCurrencyCode><SupplierParty><PartyName>S</PartyName><PostalAddress>"
      "<StreetName>Main</StreetName><CityName>Town</CityName><PostalZone>81101</PostalZone>"
      "<Country>SVK</Country></PostalAddress></SupplierParty><CustomerParty><PartyName>C</PartyName>"
      "</CustomerParty><NumberOfInvoiceLines>2</NumberOfInvoiceLines><TaxCategorySummaries>"
      "<TaxCategorySummary><ClassifiedTaxCategory>0.2</ClassifiedTaxCategory>"
      "<TaxExclusiveAmount>100</TaxExclusiveAmount><TaxAmount>20</TaxAmount>"
      "<AlreadyClaimedTaxExclusiveAmount>0</AlreadyClaimedTaxExclusiveAmount>"
      "<AlreadyClaimedTaxAmount>0</AlreadyClaimedTaxAmount></TaxCategorySummary></TaxCategorySummaries>"
      "<MonetarySummary><PayableRoundingAmount>0</PayableRoundingAmount>"
      "<PaidDepositsAmount>0</PaidDepositsAmount></MonetarySummary><PaymentMeans>cash "
      "creditCard</PaymentMeans>"
      "</Invoice>",
      "<InvoiceItems><InvoiceID>F1</InvoiceID><FirstInvoiceLineID>0007</FirstInvoiceLineID><InvoiceLines>"
      "<InvoiceLine><OrderReference/><ItemName>Widget</ItemName><InvoicedQuantity>3</InvoicedQuantity>"
      "<UnitPriceTaxExclusiveAmount>9.99</UnitPriceTaxExclusiveAmount><UnitPriceTaxAmount>2</"
      "UnitPriceTaxAmount>"
      "<ClassifiedTaxCategory>0.2</ClassifiedTaxCategory></InvoiceLine></InvoiceLines></InvoiceItems>",
  };
  return xml;
}

// Encodes XML and has Python confirm header, length, checksum and the field text that our own
// serialiser makes of the same XML.
void expect_xml_encodes(const std::string& xml) {
  std::string text;
  DocumentPtr<> document;
  ASSERT_EQ(encode_xml_keep_document(xml.data(), xml.size(), &text, &document, false), ERROR_OK)
      << last_error().message << last_error().detail;
  ASSERT_NE(document, nullptr);
  const std::string fields = field_text(document.get());
  EXPECT_EQ(open_container(text).fields, fields);
  expect_python_accepts(text, document->header, fields);

  std::string again;
  ASSERT_EQ(encode_xml(xml.data(), xml.size(), &again), ERROR_OK);
  EXPECT_EQ(again, text);
}

TEST(EncodeXml, OwnDocumentsPassPythonsCheck) {
  for (const std::string& xml : own_xml()) expect_xml_encodes(xml);
}

TEST(EncodeXml, ExampleDocumentsPassPythonsCheck) {
  const std::filesystem::path directory = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(directory)) {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      if (entry.path().extension() == ".xml") files.push_back(entry.path());
    }
  }
  if (files.empty()) GTEST_SKIP() << "no examples/*.xml";
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    expect_xml_encodes(test::read_file(file.string()));
  }
}

TEST(EncodeXml, DebitNoteHeaderComesFromTheTypeAttribute) {
  const std::string& xml = own_xml()[1];
  std::string text;
  ASSERT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK);
  DocumentHeader header;
  ASSERT_EQ(read_header(text.data(), text.size(), &header), ERROR_OK);
  EXPECT_EQ(header.bytes, (std::array<std::uint8_t, 2>{0x10, 0x30}));
}

TEST(EncodeXml, Failures) {
  const std::string& xml = own_xml()[0];
  EXPECT_EQ(encode_xml(xml.data(), xml.size(), nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Base32hex cannot be NULL. ");

  std::string text = "unchanged";
  EXPECT_EQ(encode_xml(nullptr, 10, &text), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "XML cannot be NULL.");

  const std::string broken = "<Pay><InvoiceID>";
  EXPECT_EQ(encode_xml(broken.data(), broken.size(), &text), ERROR_XML);

  const std::string unknown = "<Order><InvoiceID>1</InvoiceID></Order>";
  EXPECT_EQ(encode_xml(unknown.data(), unknown.size(), &text), ERROR_NULL_POINTER);
  EXPECT_EQ(last_error().message, "Document cannot be null. ");

  const std::string invalid = "<Pay><InvoiceID>1</InvoiceID><Payments/></Pay>";
  EXPECT_EQ(encode_xml(invalid.data(), invalid.size(), &text), ERROR_INVALID_VALUE);
  EXPECT_EQ(last_error().message, "Payments");
  EXPECT_EQ(text, "unchanged");
}

TEST(EncodeXmlKeepDocument, HandsOverDropsOrKeepsTheCallersPointer) {
  const std::string& xml = own_xml()[2];
  std::string text;
  DocumentPtr<> document;
  ASSERT_EQ(encode_xml_keep_document(xml.data(), xml.size(), &text, &document, false), ERROR_OK);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->header.family(), kFamilyInvoiceItems);
  EXPECT_EQ(static_cast<const InvoiceItems&>(*document).FirstInvoiceLineID, "0007");

  ASSERT_EQ(encode_xml_keep_document(xml.data(), xml.size(), &text, &document, true), ERROR_OK);
  EXPECT_EQ(document, nullptr);

  document = DocumentPtr<>(pay_new().release());
  const Document* held = document.get();
  const std::string invalid = "<InvoiceItems><InvoiceID>F1</InvoiceID></InvoiceItems>";
  EXPECT_EQ(encode_xml_keep_document(invalid.data(), invalid.size(), &text, &document, false),
            ERROR_INVALID_VALUE);
  EXPECT_EQ(document.get(), held);
}

}  // namespace
}  // namespace tolvex
