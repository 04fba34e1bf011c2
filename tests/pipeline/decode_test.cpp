#include "tolvex/decode.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "codec/base32hex.h"
#include "codec/checksum.h"
#include "codec/compression.h"
#include "pipeline/serialise.h"
#include "tolvex/encode.hpp"
#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

std::string field_text(const Document& document) {
  FieldBuffer buffer;
  EXPECT_EQ(serialise_document(buffer, &document), ERROR_OK);
  return field_buffer_join(buffer);
}

// A container built by hand, so that tests can damage any part of it.
std::string container_text(std::uint8_t byte0, std::uint8_t byte1, const std::string& fields,
                           std::optional<std::uint32_t> crc = std::nullopt) {
  std::vector<std::uint8_t> payload(4);
  const std::uint32_t sum =
      crc.value_or(crc32(reinterpret_cast<const std::uint8_t*>(fields.data()), fields.size()));
  for (int i = 0; i < 4; ++i) payload[i] = static_cast<std::uint8_t>(sum >> (8 * i));
  payload.insert(payload.end(), fields.begin(), fields.end());
  std::vector<std::uint8_t> container(2 + compress_bound(payload.size()) + 2);
  container[0] = byte0;
  container[1] = byte1;
  std::size_t capacity = container.size() - 2;
  EXPECT_EQ(compress_payload(payload.data(), payload.size(), container.data() + 2, &capacity), ERROR_OK);
  container.resize(2 + capacity);
  std::string text;
  EXPECT_EQ(base32hex_encode(container.data(), container.size(), &text), ERROR_OK);
  return text;
}

ErrorCode decode(const std::string& text, DocumentPtr<>* document) {
  return decode_document(text.data(), text.size(), document);
}

std::vector<std::filesystem::path> examples() {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() == ".xml") paths.push_back(entry.path());
  }
  return paths;
}

std::string load(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A zero byte ends the received text: what follows it is not part of any field.
TEST(Decode, AZeroByteEndsTheText) {
  const std::string account = "\t1\tCZ6308000000002847561937\tGIBACZPX\t0\t0";
  const std::string head = std::string("A1\t1\t1\t12.5\tEUR\t\t\t\t\t\tnote");
  std::string xml;
  std::string cutXml;
  const std::string whole = container_text(0x00, 0x00, head + account);
  ASSERT_EQ(decode_to_xml(whole.data(), whole.size(), &xml, nullptr), ERROR_OK) << error_line();
  const std::string tail = container_text(0x00, 0x00, head + account + std::string("\0\tjunk", 6));
  ASSERT_EQ(decode_to_xml(tail.data(), tail.size(), &cutXml, nullptr), ERROR_OK) << error_line();
  EXPECT_EQ(cutXml, xml);

  // Inside the note, it drops the note's rest and every field after it.
  const std::string inNote = container_text(0x00, 0x00, head + std::string("\0after", 6) + account);
  DocumentPtr<> document;
  EXPECT_EQ(decode(inNote, &document), ERROR_INVALID_VALUE);
  EXPECT_EQ(error_line(), "ERROR_INVALID_VALUE: BankAccounts list cannot be empty. ");
  EXPECT_EQ(document, nullptr);
}

TEST(Decode, EveryExampleComesBackFieldForFieldAndThroughXml) {
  for (const auto& path : examples()) {
    SCOPED_TRACE(path.filename().string());
    const std::string xml = load(path);
    std::string text;
    DocumentPtr<> original;
    ASSERT_EQ(encode_xml_keep_document(xml.data(), xml.size(), &text, &original, false), ERROR_OK)
        << error_line();

    DocumentPtr<> decoded;
    ASSERT_EQ(decode(text, &decoded), ERROR_OK) << error_line();
    EXPECT_EQ(decoded->header.bytes, original->header.bytes);
    EXPECT_EQ(field_text(*decoded), field_text(*original));

    std::string written;
    std::size_t length = 0;
    ASSERT_EQ(decode_to_xml(text.data(), text.size(), &written, &length), ERROR_OK) << error_line();
    EXPECT_EQ(length, written.size());
    DocumentPtr<> reread;
    ASSERT_EQ(xml_read_document(written.data(), written.size(), &reread), ERROR_OK) << error_line();
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(field_text(*reread), field_text(*original));
  }
}

TEST(Decode, InvoiceArrivesWithItsTypeAndComputedAmounts) {
  const std::string xml = load(std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples/invoice-credit-note.xml");
  std::string text;
  ASSERT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK) << error_line();
  DocumentPtr<> document;
  ASSERT_EQ(decode(text, &document), ERROR_OK) << error_line();
  const auto& invoice = static_cast<const Invoice&>(*document);
  EXPECT_EQ(invoice.header.document_type(), 2u);
  ASSERT_NE(invoice.MonetarySummary, nullptr);
  double inclusive = 0;
  for (const auto& summary : *invoice.TaxCategorySummaries) {
    ASSERT_TRUE(summary->TaxInclusiveAmount.has_value());
    EXPECT_EQ(*summary->TaxInclusiveAmount, *summary->TaxExclusiveAmount + *summary->TaxAmount);
    inclusive += *summary->TaxInclusiveAmount - *summary->AlreadyClaimedTaxExclusiveAmount -
                 *summary->AlreadyClaimedTaxAmount;
  }
  EXPECT_DOUBLE_EQ(*invoice.MonetarySummary->PayableAmount,
                   inclusive - value_get_decimal(invoice.MonetarySummary->PaidDepositsAmount) +
                       value_get_decimal(invoice.MonetarySummary->PayableRoundingAmount));
}

TEST(Decode, RebuildsAbsentListsAndRecordsAsDescribed) {
  // A valid PAY text whose only payment has no bank account list would not validate, so
  // the rebuild is looked at through the deserialiser directly.
  FieldBuffer buffer;
  buffer.header.bytes = {0x10, 0x00};
  field_buffer_split(buffer, "INV-1\t20260105");
  DocumentPtr<> document;
  ASSERT_EQ(deserialise_document(buffer, &document), ERROR_OK);
  const auto& invoice = static_cast<const Invoice&>(*document);
  EXPECT_EQ(invoice.InvoiceID, "INV-1");
  EXPECT_EQ(invoice.IssueDate, "2026-01-05");
  EXPECT_FALSE(invoice.TaxPointDate.has_value());
  ASSERT_NE(invoice.SupplierParty, nullptr);
  EXPECT_NE(invoice.SupplierParty->PostalAddress, nullptr);
  EXPECT_NE(invoice.SupplierParty->Contact, nullptr);
  EXPECT_NE(invoice.CustomerParty, nullptr);
  EXPECT_NE(invoice.MonetarySummary, nullptr);
  EXPECT_EQ(invoice.SingleInvoiceLine, nullptr);
  ASSERT_TRUE(invoice.TaxCategorySummaries.has_value());
  EXPECT_TRUE(invoice.TaxCategorySummaries->empty());

  FieldBuffer payBuffer;
  field_buffer_split(payBuffer, "P\t2\t\t\t\t\t\t\t\t\t\t0\t1\t\t\t\t\t0");
  ASSERT_EQ(deserialise_document(payBuffer, &document), ERROR_OK);
  const auto& pay = static_cast<const Pay&>(*document);
  ASSERT_EQ(pay.Payments->count(), 2u);
  ASSERT_NE(pay.Payments->get(0), nullptr);
  EXPECT_TRUE(pay.Payments->get(0)->BankAccounts.has_value());
  EXPECT_NE(pay.Payments->get(0)->StandingOrderExt, nullptr);
  EXPECT_EQ(pay.Payments->get(0)->DirectDebitExt, nullptr);
  ASSERT_NE(pay.Payments->get(1), nullptr) << "items are created even past the end of the text";
  EXPECT_TRUE(pay.Payments->get(1)->BankAccounts->empty());
}

TEST(Decode, HugeCountsAreCutToTheFieldsLeft) {
  FieldBuffer buffer;
  field_buffer_split(buffer, "P\t2000000000\t\t5");
  DocumentPtr<> document;
  ASSERT_EQ(deserialise_document(buffer, &document), ERROR_OK);
  EXPECT_LE(static_cast<const Pay&>(*document).Payments->count(), 2u);

  FieldBuffer negative;
  field_buffer_split(negative, "P\t-3");
  ASSERT_EQ(deserialise_document(negative, &document), ERROR_OK);
  EXPECT_TRUE(static_cast<const Pay&>(*document).Payments->empty());
}

struct DamageCase {
  const char* name;
  std::string text;
  ErrorCode code;
  const char* line;
};

std::string valid_pay_fields() {
  return "P\t1\t1\t10\tEUR\t\t\t\t\t\t\t1\tDE89370400440532013000\tCOBADEFFXXX\t0\t0";
}

std::vector<DamageCase> damage_cases() {
  const std::string good = container_text(0x00, 0x00, valid_pay_fields());
  std::string flipped = good;
  flipped[good.size() / 2] = flipped[good.size() / 2] == 'A' ? 'B' : 'A';
  return {
      {"too short for a header", "000", ERROR_UNKNOWN_DOCUMENT,
       "ERROR_UNKNOWN_DOCUMENT: Header not found.  "},
      {"only padding", "====", ERROR_UNKNOWN_DOCUMENT, "ERROR_UNKNOWN_DOCUMENT: Header not found.  "},
      {"not base32hex", good.substr(0, 10) + "a", ERROR_BASE32HEX,
       "ERROR_BASE32HEX: Invalid base32hex string.  "},
      {"header alone", "0000", ERROR_COMPRESSION, "ERROR_COMPRESSION: Invalid compressed data.  "},
      {"cut short", good.substr(0, good.size() - 8), ERROR_COMPRESSION,
       "ERROR_COMPRESSION: Decompression error.  "},
      {"wrong checksum", container_text(0x00, 0x00, valid_pay_fields(), 0x12345678), ERROR_CHECKSUM,
       "ERROR_CHECKSUM: Checksum mismatch.  "},
      {"family without documents", container_text(0x30, 0x00, valid_pay_fields()), ERROR_UNKNOWN_DOCUMENT,
       "ERROR_UNKNOWN_DOCUMENT: Unknown document family.  "},
      {"other family's field order", container_text(0x20, 0x00, valid_pay_fields()), ERROR_INVALID_VALUE,
       "ERROR_INVALID_VALUE: ItemName or the other(s) choice field(s) cannot be NULL. "},
  };
}

TEST(Decode, DamagedTextsGiveTheirErrorAndNoDocument) {
  for (const DamageCase& c : damage_cases()) {
    SCOPED_TRACE(c.name);
    DocumentPtr<> document;
    EXPECT_EQ(decode(c.text, &document), c.code);
    EXPECT_EQ(error_line(), c.line);
    EXPECT_EQ(document, nullptr);
  }
}

TEST(Decode, AChangedCharacterNeverGivesOtherFields) {
  const std::string good = container_text(0x00, 0x00, valid_pay_fields());
  DocumentPtr<> original;
  ASSERT_EQ(decode(good, &original), ERROR_OK) << error_line();
  // The header characters are not covered by the checksum; everything after them is. Some of
  // the range coder's final bytes are never needed, so a change there may go unnoticed, but it
  // must never bring different fields.
  int caught = 0;
  for (std::size_t i = 4; i < good.size(); ++i) {
    std::string changed = good;
    changed[i] = changed[i] == 'V' ? '0' : static_cast<char>(changed[i] == '9' ? 'A' : changed[i] + 1);
    DocumentPtr<> document;
    if (decode(changed, &document) == ERROR_OK) {
      EXPECT_EQ(field_text(*document), field_text(*original)) << "character " << i;
    } else {
      EXPECT_EQ(document, nullptr);
      ++caught;
    }
  }
  EXPECT_GT(caught, static_cast<int>(good.size()) * 3 / 4);
}

TEST(Decode, ChecksumMissingWhenThePayloadIsTooShort) {
  std::vector<std::uint8_t> container(2 + compress_bound(3) + 2);
  const std::uint8_t payload[3] = {1, 2, 3};
  std::size_t capacity = container.size() - 2;
  ASSERT_EQ(compress_payload(payload, 3, container.data() + 2, &capacity), ERROR_OK);
  container.resize(2 + capacity);
  std::string text;
  ASSERT_EQ(base32hex_encode(container.data(), container.size(), &text), ERROR_OK);
  DocumentPtr<> document;
  EXPECT_EQ(decode(text, &document), ERROR_CHECKSUM);
  EXPECT_EQ(error_line(), "ERROR_CHECKSUM: Checksum not found.  ");
}

TEST(Decode, MissingOutputsAreNullPointerErrors) {
  const std::string good = container_text(0x00, 0x00, valid_pay_fields());
  EXPECT_EQ(decode_document(good.data(), good.size(), nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(error_line(), "ERROR_NULL_POINTER: Document pointer cannot be NULL.  ");
  EXPECT_EQ(decode_to_xml(good.data(), good.size(), nullptr, nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(error_line(), "ERROR_NULL_POINTER: XML pointer cannot be NULL.  ");
}

TEST(Decode, UnknownVersionDecodesButIsNotWrittenAsXml) {
  const std::string text = container_text(0x01, 0x00, valid_pay_fields());
  DocumentPtr<> document;
  ASSERT_EQ(decode(text, &document), ERROR_OK) << error_line();
  EXPECT_EQ(document->header.version(), 1u);
  std::string xml;
  EXPECT_EQ(decode_to_xml(text.data(), text.size(), &xml, nullptr), ERROR_UNKNOWN_DOCUMENT);
  EXPECT_EQ(error_line(), "ERROR_UNKNOWN_DOCUMENT: Document version is not supported.  ");
  EXPECT_EQ(xml, "");
}

}  // namespace
}  // namespace tolvex
