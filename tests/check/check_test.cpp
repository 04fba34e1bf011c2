#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tolvex/check.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"

namespace tolvex {
namespace {

std::vector<Finding> findings_of(std::string_view document) {
  Result<std::vector<Finding>> found = check(document);
  EXPECT_TRUE(found.has_value());
  return found ? std::move(*found) : std::vector<Finding>{};
}

const Finding* with_rule(const std::vector<Finding>& findings, std::string_view rule, std::string_view path) {
  const auto at = std::find_if(findings.begin(), findings.end(),
                               [&](const Finding& f) { return f.rule == rule && f.path == path; });
  return at == findings.end() ? nullptr : &*at;
}

// A payment order whose parts the tests replace: {options} {amount} {currency} {due} {accounts}.
std::string payment_order(std::string_view amount, std::string_view currency, std::string_view accounts,
                          std::string_view extra = "") {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
         "<Pay xmlns=\"http://tolvex.org/tolvex\">\n"
         "  <Payments>\n"
         "    <Payment>\n"
         "      <PaymentOptions>paymentorder</PaymentOptions>\n" +
         std::string(amount) + "\n      <CurrencyCode>" + std::string(currency) +
         "</CurrencyCode>\n"
         "      <BankAccounts>\n" +
         std::string(accounts) +
         "\n      </BankAccounts>\n" + std::string(extra) +
         "    </Payment>\n"
         "  </Payments>\n"
         "</Pay>\n";
}

constexpr std::string_view kGoodAccount =
    "        <BankAccount><IBAN>CZ6508000000192000145399</IBAN><BIC>GIBACZPX</BIC></BankAccount>";

TEST(Check, DocumentWithSeveralProblemsReportsEachWithItsPlace) {
  const std::string document =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"                  // 1
      "<Pay xmlns=\"http://tolvex.org/tolvex\">\n"                    // 2
      "  <Payments>\n"                                                // 3
      "    <Payment>\n"                                               // 4
      "      <PaymentOptions>paymentorder</PaymentOptions>\n"         // 5
      "      <Amout>12</Amout>\n"                                     // 6
      "      <CurrencyCode>EUR</CurrencyCode>\n"                      // 7
      "      <PaymentDueDate>2026-02-30</PaymentDueDate>\n"           // 8
      "      <BankAccounts>\n"                                        // 9
      "        <BankAccount>\n"                                       // 10
      "          <IBAN>SK3112000000198742637542</IBAN>\n"             // 11
      "          <BIC>TATRSKBX</BIC>\n"                               // 12
      "        </BankAccount>\n"                                      // 13
      "        <BankAccount>\n"                                       // 14
      "          <IBAN>XX12</IBAN> <BIC>GIBAQQPX</BIC>\n"             // 15
      "        </BankAccount>\n"                                      // 16
      "      </BankAccounts>\n"                                       // 17
      "    </Payment>\n"                                              // 18
      "  </Payments>\n"                                               // 19
      "</Pay>\n";
  ASSERT_TRUE(encode_xml(document).has_value()) << "the rules themselves accept every one of these";
  const std::vector<Finding> found = findings_of(document);

  struct Expected {
    std::string_view rule, path, value;
    long line, column;
  };
  const Expected expected[] = {
      {"xml.unknown-element", "Payments/0/Amout", "Amout", 6, 7},
      {"date.calendar", "Payments/0/PaymentDueDate", "2026-02-30", 8, 7},
      {"pay.bank-account.iban.check-digits", "Payments/0/BankAccounts/0/IBAN", "SK3112000000198742637542", 11, 11},
      {"pay.bank-account.iban.country", "Payments/0/BankAccounts/1/IBAN", "XX12", 15, 11},
      {"pay.bank-account.bic.country", "Payments/0/BankAccounts/1/BIC", "GIBAQQPX", 15, 29},
  };
  for (const Expected& e : expected) {
    const Finding* f = with_rule(found, e.rule, e.path);
    ASSERT_NE(f, nullptr) << e.rule << " at " << e.path;
    EXPECT_EQ(f->severity, Severity::warning);
    EXPECT_EQ(f->value, e.value);
    EXPECT_EQ(f->line, e.line) << e.rule;
    EXPECT_EQ(f->column, e.column) << e.rule;
    EXPECT_FALSE(f->message.empty());
    EXPECT_TRUE(f->errorLine.empty());
  }
  EXPECT_NE(with_rule(found, "xml.unknown-element", "Payments/0/Amout")->message.find("did you mean Amount?"),
            std::string::npos);
  EXPECT_TRUE(std::is_sorted(found.begin(), found.end(), [](const Finding& a, const Finding& b) {
    return a.line.value_or(0) < b.line.value_or(0);
  })) << "warnings follow the input";
  EXPECT_TRUE(check_passes(found, false));
  EXPECT_FALSE(check_passes(found, true));
}

TEST(Check, ErrorsComeFirstWithTheToolsLineAndLaterOnesFollow) {
  const std::string document = payment_order(
      "      <Amount>10</Amount>", "EURO",
      "        <BankAccount><IBAN>cz65</IBAN></BankAccount>\n"
      "        <BankAccount><IBAN>CZ6508000000192000145399</IBAN><BIC>gibaczpx</BIC></BankAccount>");
  const Result<std::string> encoded = encode_xml(document);
  ASSERT_FALSE(encoded.has_value());
  const std::vector<Finding> found = findings_of(document);
  ASSERT_GE(found.size(), 3u);
  EXPECT_EQ(found[0].severity, Severity::error);
  EXPECT_EQ(found[0].errorLine, encoded.error().line);
  EXPECT_EQ(found[0].errorLine, "ERROR_INVALID_VALUE: CurrencyCode is invalid currency code. ");
  EXPECT_EQ(found[0].rule, "currency.format");
  EXPECT_EQ(found[0].path, "Payments/0/CurrencyCode");
  EXPECT_EQ(found[0].value, "EURO");
  EXPECT_EQ(found[0].line, 7);
  const Finding* iban = with_rule(found, "field.invalid", "Payments/0/BankAccounts/0/IBAN");
  ASSERT_NE(iban, nullptr);
  EXPECT_EQ(iban->severity, Severity::error);
  EXPECT_EQ(iban->errorLine.rfind("ERROR_INVALID_VALUE: IBAN", 0), 0u);
  EXPECT_NE(with_rule(found, "field.invalid", "Payments/0/BankAccounts/1/BIC"), nullptr);
  EXPECT_FALSE(check_passes(found, false));
}

TEST(Check, MisspelledElementsAtSeveralDepths) {
  struct Case {
    std::string_view where;  // "root", "payment", "account", "order"
    std::string_view element;
    std::string_view path;
    std::string_view suggestion;  // empty: none within two edits
  };
  const Case cases[] = {
      {"root", "InvoiceId", "InvoiceId", "InvoiceID"},
      {"payment", "Amout", "Payments/0/Amout", "Amount"},
      {"payment", "PaymentNotes", "Payments/0/PaymentNotes", "PaymentNote"},
      {"account", "IBNA", "Payments/0/BankAccounts/0/IBNA", "IBAN"},
      {"order", "Periodicty", "Payments/0/StandingOrderExt/Periodicty", "Periodicity"},
      {"payment", "Colour", "Payments/0/Colour", ""},
  };
  for (const Case& c : cases) {
    const std::string element = "<" + std::string(c.element) + ">1</" + std::string(c.element) + ">";
    std::string accounts = "        <BankAccount><IBAN>CZ6508000000192000145399</IBAN><BIC>GIBACZPX</BIC>";
    if (c.where == "account") accounts += element;
    accounts += "</BankAccount>";
    std::string extra;
    if (c.where == "payment") extra = "      " + element + "\n";
    if (c.where == "order") extra = "      <StandingOrderExt>" + element + "</StandingOrderExt>\n";
    std::string document = payment_order("      <Amount>1</Amount>", "EUR", accounts, extra);
    if (c.where == "root") document.replace(document.find("  <Payments>"), 0, "  " + element + "\n");
    const std::vector<Finding> found = findings_of(document);
    const Finding* f = with_rule(found, "xml.unknown-element", c.path);
    ASSERT_NE(f, nullptr) << c.path;
    EXPECT_EQ(f->value, c.element);
    const std::string hint = "did you mean " + std::string(c.suggestion) + "?";
    EXPECT_EQ(f->message.find(hint) != std::string::npos, !c.suggestion.empty()) << f->message;
    EXPECT_EQ(f->message.find("did you mean") != std::string::npos, !c.suggestion.empty()) << f->message;
  }
}

TEST(Check, RepeatedElementsAndTextWhereARecordIsExpected) {
  const std::string document = payment_order("      <Amount>1</Amount>\n      <Amount>2</Amount>", "EUR",
                                             std::string(kGoodAccount) + "\n        stray words");
  const std::vector<Finding> found = findings_of(document);
  const Finding* repeated = with_rule(found, "xml.repeated-element", "Payments/0/Amount");
  ASSERT_NE(repeated, nullptr);
  EXPECT_EQ(repeated->line, 7);
  const Finding* text = with_rule(found, "xml.text-in-record", "Payments/0/BankAccounts");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->value, "stray words");
}

TEST(Check, AmountsAgainstTheirCurrency) {
  struct Case {
    std::string_view amount, currency;
    std::vector<std::string> rules;
  };
  const Case cases[] = {
      {"12480.00", "EUR", {}},
      {"12480.005", "EUR", {"amount.decimals"}},
      {"12480.5", "JPY", {"amount.decimals"}},
      {"12480", "JPY", {}},
      {"1.234", "KWD", {}},
      {"1.2345", "KWD", {"amount.decimals"}},
      {"10", "CZX", {"currency.unknown"}},
      {"0", "EUR", {"pay.amount.not-positive"}},
      {"-5", "EUR", {"pay.amount.not-positive"}},
  };
  const std::vector<std::string_view> amountRules = {"amount.decimals", "currency.unknown", "pay.amount.not-positive"};
  for (const Case& c : cases) {
    const std::string document =
        payment_order("      <Amount>" + std::string(c.amount) + "</Amount>", c.currency, kGoodAccount);
    std::vector<std::string> got;
    for (const Finding& f : findings_of(document)) {
      if (std::find(amountRules.begin(), amountRules.end(), f.rule) != amountRules.end()) got.push_back(f.rule);
    }
    EXPECT_EQ(got, c.rules) << c.amount << " " << c.currency;
  }
}

TEST(Check, AccountsOfSeveralCountries) {
  struct Case {
    std::string_view iban, bic;
    std::vector<std::string> rules;
  };
  const Case cases[] = {
      {"DE89370400440532013000", "COBADEFFXXX", {}},
      {"GB82WEST12345698765432", "NWBKGB2L", {}},
      {"DE89370400440532013000", "GIBACZPX", {"pay.bank-account.bic.iban-country"}},
      {"DE8937040044053201300", "COBADEFF", {"pay.bank-account.iban.length", "pay.bank-account.iban.check-digits"}},
      {"GB82WEST1234569876543X", "NWBKGB2L",
       {"pay.bank-account.iban.bban-format", "pay.bank-account.iban.check-digits"}},
      {"XK051212012345678906", "RBKOXKPR", {}},
  };
  for (const Case& c : cases) {
    const std::string account = "        <BankAccount><IBAN>" + std::string(c.iban) + "</IBAN><BIC>" +
                                std::string(c.bic) + "</BIC></BankAccount>";
    std::vector<std::string> got;
    for (const Finding& f : findings_of(payment_order("      <Amount>1</Amount>", "EUR", account)))
      got.push_back(f.rule);
    EXPECT_EQ(got, c.rules) << c.iban;
  }
}

TEST(Check, InvoiceTaxAmountsAgainstTheirRates) {
  const auto invoice = [](std::string_view tax) {
    return "<Invoice xmlns=\"http://tolvex.org/tolvex\"><InvoiceID>1</InvoiceID><IssueDate>2026-01-01</IssueDate>"
           "<LocalCurrencyCode>EUR</LocalCurrencyCode><TaxCategorySummaries><TaxCategorySummary>"
           "<ClassifiedTaxCategory>0.21</ClassifiedTaxCategory><TaxExclusiveAmount>100</TaxExclusiveAmount>"
           "<TaxAmount>" + std::string(tax) + "</TaxAmount></TaxCategorySummary></TaxCategorySummaries></Invoice>";
  };
  EXPECT_EQ(with_rule(findings_of(invoice("21")), "invoice.tax-summary.tax-amount", "TaxCategorySummaries/0/TaxAmount"),
            nullptr);
  EXPECT_NE(with_rule(findings_of(invoice("12")), "invoice.tax-summary.tax-amount", "TaxCategorySummaries/0/TaxAmount"),
            nullptr);
}

TEST(Check, EncodedTextsHaveNoPlacesAndTheJsonFormIsChecked) {
  const std::string encoded = *encode_xml(payment_order("      <Amount>1.5</Amount>", "EUR",
                                                        "        <BankAccount><IBAN>SK3112000000198742637542</IBAN><BIC>TATRSKBX</BIC></BankAccount>"));
  const std::vector<Finding> found = findings_of(encoded);
  const Finding* iban = with_rule(found, "pay.bank-account.iban.check-digits", "Payments/0/BankAccounts/0/IBAN");
  ASSERT_NE(iban, nullptr);
  EXPECT_FALSE(iban->line.has_value());
  EXPECT_FALSE(iban->column.has_value());

  const std::vector<Finding> broken = findings_of("0123");
  ASSERT_FALSE(broken.empty());
  EXPECT_EQ(broken[0].severity, Severity::error);
  EXPECT_EQ(broken[0].rule.substr(0, 5), "text.");

  const std::vector<Finding> json = findings_of(
      R"({"Pay": {"Payments": [{"PaymentOptions": "paymentorder", "Amount": 1, "CurrencyCode": "CZX",)"
      R"( "BankAccounts": [{"IBAN": "CZ6508000000192000145399", "BIC": "GIBACZPX"}]}]}})");
  EXPECT_NE(with_rule(json, "currency.unknown", "Payments/0/CurrencyCode"), nullptr);
}

TEST(Check, ReportsAsJsonAndAsText) {
  const std::vector<Finding> found =
      findings_of(payment_order("      <Amount>1</Amount>", "EUR",
                                "        <BankAccount><IBAN>SK3112000000198742637542</IBAN><BIC>TATRSKBX</BIC></BankAccount>"));
  const std::string text = check_report_text(found, "pay.xml");
  EXPECT_NE(text.find("pay.xml:9:22:"), std::string::npos) << text;
  EXPECT_NE(text.find(": warning: IBAN check digits do not match (SK3112000000198742637542) "
                      "[pay.bank-account.iban.check-digits]"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("pay.xml: 0 errors, 1 warning\n"), std::string::npos) << text;
  EXPECT_NE(check_report_text(found, "pay.xml", true).find("1 error, 0 warnings"), std::string::npos);
  const std::string json = check_report_json(found, "pay.xml");
  EXPECT_EQ(json.rfind(R"({"file":"pay.xml","valid":true,"diagnostics":[{"severity":"warning")", 0), 0u) << json;
  EXPECT_NE(json.find(R"("errorLine":null)"), std::string::npos);
  EXPECT_NE(check_report_json(found, std::nullopt, true).find(R"("valid":false)"), std::string::npos);
}

TEST(Check, LongValuesAreCutAndHostileInputStaysBounded) {
  const std::string longName(500, 'x');
  const std::string document = payment_order("      <Amount>1</Amount>", "EUR", kGoodAccount,
                                             "      <" + longName + "/>\n");
  const std::vector<Finding> cut = findings_of(document);
  const Finding* f = with_rule(cut, "xml.unknown-element", "Payments/0/" + longName);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->value.size(), 80u);
  // Ten thousand unknown elements on one line: the first thousand are reported, the rest counted
  // away, so that a hostile document cannot make the report as large as itself.
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "<U/>";
  const std::vector<Finding> found = findings_of(payment_order("      <Amount>1</Amount>", "EUR", kGoodAccount, many));
  EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const Finding& x) { return x.rule == "xml.unknown-element"; }),
            1000);
}

}  // namespace
}  // namespace tolvex

namespace tolvex {
namespace {

// One payment of a payment order, on lines of its own.
std::string payment(std::string_view options, std::string_view fields) {
  return "    <Payment>\n      <PaymentOptions>" + std::string(options) + "</PaymentOptions>\n" + std::string(fields) +
         "      <BankAccounts><BankAccount><IBAN>CZ6508000000192000145399</IBAN><BIC>GIBACZPX</BIC></BankAccount>"
         "</BankAccounts>\n"
         "    </Payment>\n";
}

std::string pay_of(const std::vector<std::string>& payments) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Pay xmlns=\"http://tolvex.org/tolvex\">\n  <Payments>\n";
  for (const std::string& p : payments) xml += p;
  return xml + "  </Payments>\n</Pay>\n";
}

// The line and column of the count-th occurrence (from 0) of what.
std::pair<long, long> place_of(const std::string& text, std::string_view what, std::size_t count = 0) {
  std::size_t at = text.find(what);
  for (; count > 0 && at != std::string::npos; --count) at = text.find(what, at + 1);
  if (at == std::string::npos) return {0, 0};
  const std::size_t lineStart = text.rfind('\n', at) + 1;
  return {1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'), static_cast<long>(at - lineStart) + 1};
}

TEST(CheckEveryError, SeveralPaymentsEachWithTheirOwnProblems) {
  const std::string good = payment("paymentorder", "      <CurrencyCode>EUR</CurrencyCode>\n");
  const std::string references = payment("paymentorder",
                                          "      <CurrencyCode>EUR</CurrencyCode>\n      <VariableSymbol>11</VariableSymbol>\n"
                                          "      <ConstantSymbol>0308</ConstantSymbol>\n"
                                          "      <OriginatorsReferenceInformation>ref</OriginatorsReferenceInformation>\n");
  struct Problem {
    std::string inDocument;  // the payment in the document with several problems; empty: the previous one
    std::string alone;       // the same failure as the only one
    std::size_t payment;
    std::string_view rule, path, value;
    std::string_view marker;  // where the finding is: a value's element, or its payment's start
  };
  const Problem problems[] = {
      // Values that do not read come first, as reading comes before the rules.
      {payment("paymentorder", "      <Amount>1,5</Amount>\n      <CurrencyCode>EUR</CurrencyCode>\n"), "", 1,
       "xml.decimal", "Payments/1/Amount", "1,5", "<Amount>1,5"},
      {payment("paymentorder", "      <Amount>1</Amount>\n"), "", 0, "field.required", "Payments/0/CurrencyCode", "",
       "<Payment>"},
      {references, "", 2, "field.excluded", "Payments/2/VariableSymbol", "11", "<VariableSymbol>11"},
      {"",
       payment("paymentorder", "      <CurrencyCode>EUR</CurrencyCode>\n      <ConstantSymbol>0308</ConstantSymbol>\n"
                               "      <OriginatorsReferenceInformation>ref</OriginatorsReferenceInformation>\n"),
       2, "field.excluded", "Payments/2/ConstantSymbol", "0308", "<ConstantSymbol>0308"},
      {payment("paymentorder", "      <CurrencyCode>EUR</CurrencyCode>\n      <SpecificSymbol>12a4</SpecificSymbol>\n"),
       "", 3, "field.digits", "Payments/3/SpecificSymbol", "12a4", "<SpecificSymbol>12a4"},
      {payment("standingorder", "      <CurrencyCode>EUR</CurrencyCode>\n"), "", 4, "field.required",
       "Payments/4/StandingOrderExt", "", "<Payment>"},
      {payment("paymentorder", "      <CurrencyCode>EUR</CurrencyCode>\n      <PaymentDueDate>2026-13-01</PaymentDueDate>\n"),
       "", 5, "date.range", "Payments/5/PaymentDueDate", "2026-13-01", "<PaymentDueDate>2026-13-01"},
  };
  std::vector<std::string> payments(6);
  for (const Problem& p : problems) {
    if (!p.inDocument.empty()) payments[p.payment] = p.inDocument;
  }
  const std::string document = pay_of(payments);
  const std::vector<Finding> found = findings_of(document);
  std::vector<const Finding*> errors;
  for (const Finding& f : found) {
    if (f.severity == Severity::error) errors.push_back(&f);
  }
  ASSERT_EQ(errors.size(), std::size(problems)) << check_report_text(found, "pay.xml");
  const Result<std::string> encoded = encode_xml(document);
  ASSERT_FALSE(encoded.has_value());
  EXPECT_EQ(errors[0]->errorLine, encoded.error().line) << "the first error is the one the tools print";
  for (std::size_t i = 0; i < std::size(problems); ++i) {
    const Problem& p = problems[i];
    const Finding& f = *errors[i];
    EXPECT_EQ(f.rule, p.rule) << i;
    EXPECT_EQ(f.path, p.path) << i;
    EXPECT_EQ(f.value, p.value) << i;
    const auto [line, column] = place_of(document, p.marker, p.marker == "<Payment>" ? p.payment : 0);
    EXPECT_EQ(f.line, line) << i;
    EXPECT_EQ(f.column, column) << i;
    // The line the tools print for a document whose only failure is this one.
    std::vector<std::string> alone(payments.size(), good);
    alone[p.payment] = p.alone.empty() ? payments[p.payment] : p.alone;
    const Result<std::string> only = encode_xml(pay_of(alone));
    ASSERT_FALSE(only.has_value()) << i;
    EXPECT_EQ(f.errorLine, only.error().line) << i;
    EXPECT_FALSE(f.message.empty());
  }
}

// The JSON form: every finding at its member's name (line and column from 1, in bytes), members
// the description does not know at several depths, with the known name within two edits.
TEST(CheckJson, MisspelledMembersAtSeveralDepthsAreFoundWhereTheyAre) {
  const std::string json =
      "{\"Pay\": {\n"                                                            // 1
      "  \"InvoiceId\": \"1\",\n"                                                // 2
      "  \"Payments\": [\n"                                                      // 3
      "    {\"PaymentOptions\": \"standingorder\", \"Amout\": 1,\n"              // 4
      "     \"CurrencyCode\": \"EUR\",\n"                                        // 5
      "     \"BankAccounts\": [{\"IBAN\": \"CZ6508000000192000145399\", \"BIC\": \"GIBACZPX\",\n"  // 6
      "\t\t\"IBNA\": \"x\"}],\n"                                                 // 7
      "     \"StandingOrderExt\": {\"Periodicity\": \"Monthly\", \"Day\": 5, \"Periodicty\": 1}},\n"  // 8
      "    {\"PaymentOptions\": \"paymentorder\", \"CurrencyCode\": \"EUR\", \"Colour\": \"red\",\n"  // 9
      "     \"BankAccounts\": [{\"IBAN\": \"CZ6508000000192000145399\", \"BIC\": \"GIBACZPX\"}]}]}}\n";
  ASSERT_TRUE(encode_json(json).has_value());
  const std::vector<Finding> found = findings_of(json);
  struct Case {
    std::string_view path, suggestion;
    long line, column;
  };
  const Case cases[] = {
      {"InvoiceId", "InvoiceID", 2, 3},
      {"Payments/0/Amout", "Amount", 4, 41},
      {"Payments/0/BankAccounts/0/IBNA", "IBAN", 7, 3},
      {"Payments/0/StandingOrderExt/Periodicty", "Periodicity", 8, 63},
      {"Payments/1/Colour", "", 9, 63},
  };
  std::size_t unknown = 0;
  for (const Finding& f : found) unknown += f.rule == "json.unknown-member" ? 1 : 0;
  EXPECT_EQ(unknown, std::size(cases)) << check_report_text(found, "pay.json");
  for (const Case& c : cases) {
    const Finding* f = with_rule(found, "json.unknown-member", c.path);
    ASSERT_NE(f, nullptr) << c.path << "\n" << check_report_text(found, "pay.json");
    EXPECT_EQ(f->severity, Severity::warning);
    EXPECT_EQ(f->line, c.line) << c.path;
    EXPECT_EQ(f->column, c.column) << c.path;
    EXPECT_EQ(f->value, c.path.substr(c.path.rfind('/') + 1));
    EXPECT_EQ(f->message.find("did you mean") != std::string::npos, !c.suggestion.empty()) << f->message;
    if (!c.suggestion.empty()) {
      EXPECT_NE(f->message.find("did you mean " + std::string(c.suggestion) + "?"), std::string::npos);
    }
  }
  // The root's type member is the document's own.
  EXPECT_EQ(with_rule(findings_of(R"({"Pay": {"type": "PaymentOrder", "Payments": []}})"), "json.unknown-member", "type"),
            nullptr);
}

TEST(CheckJson, ErrorsAndWarningsAtTheirMembers) {
  struct Case {
    std::string_view name;
    std::string json;
    std::string_view rule, path;
    long line, column;
  };
  const std::string accounts = R"("BankAccounts": [{"IBAN": "CZ6508000000192000145399", "BIC": "GIBACZPX"}])";
  const Case cases[] = {
      {"a rule's failure", "{\"Pay\": {\"Payments\": [\n {\"PaymentOptions\": \"paymentorder\", \"CurrencyCode\": \"EUR\", " + accounts +
           "},\n {\"PaymentOptions\": \"paymentorder\", \"CurrencyCode\": \"EURO\", " + accounts + "}]}}",
       "currency.format", "Payments/1/CurrencyCode", 3, 37},
      {"a missing field: its object", "{\"Pay\": {\"Payments\": [\n  {\"PaymentOptions\": \"paymentorder\", " + accounts + "}]}}",
       "field.required", "Payments/0/CurrencyCode", 2, 3},
      {"a value that does not read: the first member of that name that fails",
       "{\"Pay\": {\"Payments\": [\n {\"PaymentOptions\": \"paymentorder\", \"Amount\": 1, \"CurrencyCode\": \"EUR\", " + accounts +
           "},\n {\"PaymentOptions\": \"paymentorder\", \"Amount\": \"1,5\", \"CurrencyCode\": \"EUR\", " + accounts + "}]}}",
       "json.type", "Payments/1/Amount", 3, 37},
      {"a value that does not read, named by its element alone: the member whose value fails",
       "{\"Pay\": {\"Payments\": [\n {\"PaymentOptions\": \"standingorder\", \"CurrencyCode\": \"EUR\", " + accounts +
           ", \"StandingOrderExt\": {\"Periodicity\": \"Monthly\", \"Day\": 1}},\n"
           " {\"PaymentOptions\": \"standingorder\", \"CurrencyCode\": \"EUR\", " + accounts +
           ",\n  \"StandingOrderExt\": {\"Day\": 1, \"Periodicity\": \"monthly\"}}]}}",
       "xml.enumeration", "Payments/1/StandingOrderExt/Periodicity", 4, 34},
      {"a warning", "{\"Pay\": {\"Payments\": [{\"PaymentOptions\": \"paymentorder\",\n \"CurrencyCode\": \"CZX\", " + accounts + "}]}}",
       "currency.unknown", "Payments/0/CurrencyCode", 2, 2},
  };
  for (const Case& c : cases) {
    const std::vector<Finding> found = findings_of(c.json);
    const Finding* f = with_rule(found, c.rule, c.path);
    ASSERT_NE(f, nullptr) << c.name << "\n" << check_report_text(found, "pay.json");
    EXPECT_EQ(f->line, c.line) << c.name;
    EXPECT_EQ(f->column, c.column) << c.name;
    if (f->severity == Severity::error) {
      const Result<std::string> encoded = encode_json(c.json);
      ASSERT_FALSE(encoded.has_value());
      EXPECT_EQ(found.front().errorLine, encoded.error().line) << c.name;
    }
  }
}

TEST(CheckJson, EveryErrorOfTheJsonForm) {
  const std::string accounts = R"("BankAccounts": [{"IBAN": "CZ6508000000192000145399", "BIC": "GIBACZPX"}])";
  const std::string json = "{\"Pay\": {\"Payments\": [\n"
                           " {\"PaymentOptions\": \"paymentorder\", \"CurrencyCode\": \"EURO\", " + accounts + "},\n"
                           " {\"PaymentOptions\": \"paymentorder\", \"Amount\": 1.2.3, \"CurrencyCode\": \"EUR\", " + accounts + "},\n"
                           " {\"PaymentOptions\": \"standingorder\", \"CurrencyCode\": \"EUR\", " + accounts +
                           ", \"StandingOrderExt\": {\"Periodicity\": \"Fortnightly\"}},\n"
                           " {\"PaymentOptions\": \"paymentorder\", \"CurrencyCode\": \"EUR\"}]}}";
  std::string readable = json;
  readable.replace(readable.find("1.2.3"), 5, "\"1,2\"");
  struct Expected {
    std::string_view rule, path;
    long line, column;
  };
  // Reading's failures first, then the rules' in their order.
  const Expected expected[] = {
      {"json.type", "Payments/1/Amount", 3, 37},
      {"xml.enumeration", "Payments/2/StandingOrderExt/Periodicity", 4, 157},
      {"currency.format", "Payments/0/CurrencyCode", 2, 55},
      {"field.required", "Payments/3/BankAccounts", 5, 2},
  };
  readable.replace(readable.find("\"CurrencyCode\": \"EURO\""), 0, "\"CurencyCode\": 1, ");
  const std::vector<Finding> found = findings_of(readable);
  const Finding* unknown = with_rule(found, "json.unknown-member", "Payments/0/CurencyCode");
  ASSERT_NE(unknown, nullptr) << "the members around failures are judged too";
  EXPECT_EQ(unknown->line, 2);
  std::vector<const Finding*> errors;
  for (const Finding& f : found) {
    if (f.severity == Severity::error) errors.push_back(&f);
  }
  ASSERT_EQ(errors.size(), std::size(expected)) << check_report_text(found, "pay.json");
  const Result<std::string> encoded = encode_json(readable);
  ASSERT_FALSE(encoded.has_value());
  EXPECT_EQ(errors[0]->errorLine, encoded.error().line);
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(errors[i]->rule, expected[i].rule) << i;
    EXPECT_EQ(errors[i]->path, expected[i].path) << i;
    EXPECT_EQ(errors[i]->line, expected[i].line) << i;
    EXPECT_EQ(errors[i]->column, expected[i].column) << i;
  }
}

// A document made of failures cannot make the report, or the reading, as large as itself: at
// most 1000 errors; the JSON form is read again at most 64 times to find failing members.
TEST(CheckEveryError, ManyFailuresStayBounded) {
  std::vector<std::string> payments;
  for (int i = 0; i < 3000; ++i) payments.push_back(payment("paymentorder", "      <CurrencyCode>EURO</CurrencyCode>\n"));
  const std::vector<Finding> found = findings_of(pay_of(payments));
  EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const Finding& f) { return f.severity == Severity::error; }),
            1000);
  EXPECT_EQ(found.back().path, "Payments/999/CurrencyCode");

  std::string json = R"({"Pay": {"Payments": [)";
  for (int i = 0; i < 500; ++i) {
    json += std::string(i == 0 ? "" : ",") +
            R"({"PaymentOptions": "standingorder", "CurrencyCode": "EUR", "StandingOrderExt": {"Periodicity": "x"}})";
  }
  json += "]}}";
  const std::vector<Finding> read = findings_of(json);
  // Each failing member is found in one read and taken out in another.
  ASSERT_EQ(read.size(), 32u);
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].rule, "xml.enumeration");
    EXPECT_EQ(read[i].path, "Payments/" + std::to_string(i) + "/StandingOrderExt/Periodicity");
  }
}

// Inputs are told apart as the tolvex command tells them, so that the first error is the line
// of the tool that command would use.
TEST(CheckEveryError, InputsAreToldApartAsTheCommandDoes) {
  struct Case {
    std::string input;
    std::string_view rulePrefix;
    bool xml;  // else an encoded text
  };
  const Case cases[] = {
      {"\xEF\xBC\xBF<?xml version=\"1.0\"?><Pay/>", "xml.", true},  // not a byte order mark
      {"hello", "xml.", true},
      {"  0123=\n", "text.", false},
      {"\v[1]", "json.", false},
  };
  for (const Case& c : cases) {
    const std::vector<Finding> found = findings_of(c.input);
    ASSERT_FALSE(found.empty()) << c.input;
    EXPECT_EQ(found[0].rule.substr(0, c.rulePrefix.size()), c.rulePrefix) << c.input;
    if (c.xml) {
      EXPECT_EQ(found[0].errorLine, encode_xml(c.input).error().line) << c.input;
    }
  }
  EXPECT_EQ(findings_of("\v[1]")[0].errorLine, encode_json("\v[1]").error().line);
}

}  // namespace
}  // namespace tolvex
