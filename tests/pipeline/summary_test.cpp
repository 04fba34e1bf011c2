// The summary a person reads: every example against its text under summaries/, fields left out
// when absent, values kept on their line, the same text whatever the process locale, and the
// documents no summary can be told for.
#include "tolvex/summary.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/invoice.hpp"
#include "tolvex/invoice_items.hpp"
#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(TOLVEX_SOURCE_DIR) / "examples";
const std::filesystem::path kSummaries =
    std::filesystem::path(TOLVEX_SOURCE_DIR) / "tests" / "pipeline" / "summaries";

std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The document as a scanner gets it: encoded, then decoded with its computed amounts.
DocumentPtr<> decoded_example(const std::string& name) {
  Result<std::string> text = encode_xml(read_file(kExamples / (name + ".xml")));
  if (!text) {
    ADD_FAILURE() << name << ": " << text.error().line;
    return nullptr;
  }
  Result<DocumentPtr<>> document = decode(*text);
  if (!document) {
    ADD_FAILURE() << name << ": " << document.error().line;
    return nullptr;
  }
  return std::move(*document);
}

std::string summary_of(const Document& document) {
  Result<std::string> text = summary(document);
  if (!text) {
    ADD_FAILURE() << text.error().line;
    return {};
  }
  return std::move(*text);
}

const char* const kExampleNames[] = {
    "pay-single",          "pay-standing-order", "pay-direct-debit", "invoice",       "invoice-proforma",
    "invoice-credit-note", "invoice-debit-note", "invoice-advance",  "invoice-items",
};

TEST(Summary, EveryExampleGivesItsText) {
  for (const char* name : kExampleNames) {
    const DocumentPtr<> document = decoded_example(name);
    ASSERT_NE(document, nullptr) << name;
    EXPECT_EQ(summary_of(*document), read_file(kSummaries / (std::string(name) + ".txt"))) << name;
  }
}

// A new example gets its expected summary too.
TEST(Summary, EveryExampleIsInTheTable) {
  const std::set<std::string> named(std::begin(kExampleNames), std::end(kExampleNames));
  for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
    if (entry.path().extension() != ".xml") continue;
    EXPECT_TRUE(named.contains(entry.path().stem().string())) << entry.path();
  }
}

TEST(Summary, TheSameTextUnderAGermanLocale) {
  const DocumentPtr<> document = decoded_example("invoice");
  ASSERT_NE(document, nullptr);
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
  const std::string text = summary_of(*document);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(text, read_file(kSummaries / "invoice.txt"));
}

Record<Payment> payment_of(std::int32_t options, double amount) {
  auto payment = std::make_unique<Payment>();
  payment->PaymentOptions = options;
  payment->Amount = amount;
  return payment;
}

TEST(Summary, AbsentFieldsAreLeftOut) {
  const struct {
    const char* label;
    DocumentPtr<> document;
    const char* text;
  } cases[] = {
      {"empty payment order", pay_new(), "Payment\n"},
      {"empty invoice", invoice_new(), "Invoice\n"},
      {"empty invoice lines", invoice_items_new(), "Invoice items\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(summary_of(*c.document), c.text) << c.label;

  auto pay = pay_new();
  pay->Payments.emplace();
  pay->Payments->append(payment_of(kPaymentOptionPaymentOrder, 25.3));
  EXPECT_EQ(summary_of(*pay), "Payment order\nAmount: 25.30\n");

  // An invoice read from XML has no computed amounts: only the carried ones are told.
  Result<DocumentPtr<>> read = read_xml(read_file(kExamples / "invoice-debit-note.xml"));
  ASSERT_TRUE(read) << read.error().line;
  const std::string text = summary_of(**read);
  EXPECT_NE(text.find("Rounding:      -0.50 CZK\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Tax 21 %:      346.50 CZK on 1,650.00 CZK\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Net total"), std::string::npos) << text;
  EXPECT_EQ(text.find("Amount due"), std::string::npos) << text;
}

TEST(Summary, EmptyTextsKeepTheirLabel) {
  auto invoice = invoice_new();
  invoice->InvoiceID = "";
  invoice->IssueDate = "";
  invoice->PaymentMeans = 0;
  EXPECT_EQ(summary_of(*invoice), "Invoice\nIssue date:\nPayment means: none\n");
}

TEST(Summary, ALineFeedInANoteStaysOnItsLine) {
  auto pay = pay_new();
  pay->Payments.emplace();
  auto payment = payment_of(kPaymentOptionPaymentOrder, 10);
  payment->CurrencyCode = "EUR";
  payment->PaymentNote = "Rent for May\nflat 12\r\n";
  pay->Payments->append(std::move(payment));
  EXPECT_EQ(summary_of(*pay),
            "Payment order\n"
            "Amount: 10.00 EUR\n"
            "Note:   Rent for May flat 12\n");
}

TEST(Summary, OneBlockAPaymentWithLabelsInOneColumn) {
  auto pay = pay_new();
  pay->InvoiceID = "INV-7";
  pay->Payments.emplace();

  auto first = payment_of(kPaymentOptionPaymentOrder, 1250);
  first->CurrencyCode = "JPY";
  first->BankAccounts.emplace();
  auto both = std::make_unique<BankAccount>();
  both->IBAN = "DE89370400440532013000";
  both->BIC = "COBADEFFXXX";
  first->BankAccounts->append(std::move(both));
  auto bic_only = std::make_unique<BankAccount>();
  bic_only->BIC = "GIBACZPX";
  first->BankAccounts->append(std::move(bic_only));
  first->BankAccounts->append(nullptr);
  first->OriginatorsReferenceInformation = "RF18 5390 0754 7034";
  pay->Payments->append(std::move(first));
  pay->Payments->append(nullptr);

  auto second = payment_of(kPaymentOptionStandingOrder | kPaymentOptionDirectDebit, 99.999);
  second->CurrencyCode = "BHD";
  second->StandingOrderExt = std::make_unique<StandingOrderExt>();
  second->StandingOrderExt->Periodicity = "b";
  second->StandingOrderExt->Day = 3;
  second->StandingOrderExt->Month = 1 | 32 | 2048;
  second->DirectDebitExt = std::make_unique<DirectDebitExt>();
  second->DirectDebitExt->DirectDebitScheme = 0;
  second->DirectDebitExt->DirectDebitType = 0;
  second->DirectDebitExt->VariableSymbol = "1207";
  second->DirectDebitExt->SpecificSymbol = "42";
  second->DirectDebitExt->MaxAmount = 1000;
  pay->Payments->append(std::move(second));

  EXPECT_EQ(summary_of(*pay),
            "Payment order\n"
            "Invoice:        INV-7\n"
            "Amount:         1,250 JPY\n"
            "Account:        DE89 3704 0044 0532 0130 00, BIC COBADEFFXXX\n"
            "Account:        BIC GIBACZPX\n"
            "Reference:      RF18 5390 0754 7034\n"
            "\n"
            "Standing order and direct debit\n"
            "Invoice:        INV-7\n"
            "Amount:         99.999 BHD\n"
            "Period:         Biweekly\n"
            "Day:            3\n"
            "Months:         January, June, December\n"
            "Scheme:         other\n"
            "Debit type:     one-off\n"
            "Debit symbols:  variable 1207, specific 42\n"
            "Maximum amount: 1,000.000 BHD\n");
}

TEST(Summary, CodesWithoutANameAreShownAsHeld) {
  auto pay = pay_new();
  pay->Payments.emplace();
  auto payment = payment_of(kPaymentOptionStandingOrder | kPaymentOptionDirectDebit, 1);
  payment->StandingOrderExt = std::make_unique<StandingOrderExt>();
  payment->StandingOrderExt->Periodicity = "B";
  payment->DirectDebitExt = std::make_unique<DirectDebitExt>();
  payment->DirectDebitExt->DirectDebitScheme = 7;
  pay->Payments->append(std::move(payment));
  auto other = payment_of(0, 2);
  other->StandingOrderExt = std::make_unique<StandingOrderExt>();
  other->StandingOrderExt->Periodicity = "x";
  pay->Payments->append(std::move(other));
  EXPECT_EQ(summary_of(*pay),
            "Standing order and direct debit\n"
            "Amount: 1.00\n"
            "Period: Bimonthly\n"
            "Scheme: 7\n"
            "\n"
            "Payment\n"
            "Amount: 2.00\n"
            "Period: x\n");
}

TEST(Summary, InvoiceLinesAreNumberedFromTheFirstLine) {
  const struct {
    Text first;
    const char* titles;
  } cases[] = {{"0007", "Line 7|Line 9|"}, {"A1", "Line 1|Line 3|"}, {std::nullopt, "Line 1|Line 3|"}};
  for (const auto& c : cases) {
    auto items = invoice_items_new();
    items->FirstInvoiceLineID = c.first;
    items->InvoiceLines.emplace();
    auto line = std::make_unique<InvoiceLine>();
    line->ItemName = "Bolt";
    items->InvoiceLines->append(std::move(line));
    items->InvoiceLines->append(nullptr);  // a missing line keeps its number
    items->InvoiceLines->append(std::make_unique<InvoiceLine>());
    std::string titles;
    const std::string text = summary_of(*items);
    for (std::size_t at = text.find("Line "); at != std::string::npos; at = text.find("Line ", at + 1)) {
      titles += text.substr(at, text.find('\n', at) - at) + "|";
    }
    EXPECT_EQ(titles, c.titles) << c.first.value_or("(absent)") << "\n" << text;
  }
}

TEST(Summary, InvoiceOfEachTypeIsTitledByIt) {
  const struct {
    unsigned type;
    const char* title;
  } cases[] = {{0, "Invoice 17\n"},    {1, "Proforma invoice 17\n"}, {2, "Credit note 17\n"},
               {3, "Debit note 17\n"}, {4, "Advance invoice 17\n"},  {9, "Invoice type 9 17\n"}};
  for (const auto& c : cases) {
    auto invoice = invoice_new();
    invoice->header.set_document_type(c.type);
    invoice->InvoiceID = "17";
    EXPECT_EQ(summary_of(*invoice), c.title) << c.type;
  }
}

TEST(Summary, ExchangeRateAndPartiesOnOneLineEach) {
  auto invoice = invoice_new();
  invoice->LocalCurrencyCode = "HUF";
  invoice->ForeignCurrencyCode = "EUR";
  invoice->CurrRate = 39250.5;
  invoice->ReferenceCurrRate = 100;
  invoice->SupplierParty = std::make_unique<SupplierParty>();
  invoice->SupplierParty->CompanyVATID = "HU12345678";
  invoice->CustomerParty = std::make_unique<CustomerParty>();
  invoice->CustomerParty->PartyName = "Kovács\nKft.";
  EXPECT_EQ(summary_of(*invoice),
            "Invoice\n"
            "Supplier:      VAT ID HU12345678\n"
            "Customer:      Kovács Kft.\n"
            "Currency:      HUF\n"
            "Exchange rate: 100 EUR = 39,250.5 HUF\n");
}

TEST(Summary, DocumentsThatCannotBeToldAreRefused) {
  const struct {
    const char* label;
    unsigned family;
    unsigned version;
    const char* message;
  } cases[] = {
      {"family 3", 3, 0, "Unknown document family. "},
      {"family 15", 15, 0, "Unknown document family. "},
      {"version 1", kFamilyPay, 1, "Document version is not supported. "},
  };
  for (const auto& c : cases) {
    auto document = pay_new();
    document->header.set_family(c.family);
    document->header.bytes[0] = static_cast<std::uint8_t>((c.family << 4) | c.version);
    const Result<std::string> text = summary(*document);
    ASSERT_FALSE(text) << c.label;
    EXPECT_EQ(text.error().code, Errc::unknown_document) << c.label;
    EXPECT_EQ(text.error().message, c.message) << c.label;
  }
}

}  // namespace
}  // namespace tolvex
