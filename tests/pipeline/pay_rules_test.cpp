// The PAY rules: a valid document, then one change per row and the error line it must produce.
#include "pay/pay_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "tolvex/pay.hpp"
#include "tolvex/xml.hpp"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

constexpr const char* kValidPay = R"(<Pay><InvoiceID>FV-1</InvoiceID><Payments><Payment>
  <PaymentOptions>paymentorder</PaymentOptions><Amount>100</Amount><CurrencyCode>EUR</CurrencyCode>
  <PaymentDueDate>2026-05-31</PaymentDueDate><VariableSymbol>1234567890</VariableSymbol>
  <ConstantSymbol>0308</ConstantSymbol><SpecificSymbol>77</SpecificSymbol>
  <BankAccounts><BankAccount><IBAN>SK3112000000198742637541</IBAN><BIC>TATRSKBX</BIC></BankAccount></BankAccounts>
  </Payment></Payments></Pay>)";

DocumentPtr<Pay> valid_pay() {
  DocumentPtr<> document;
  EXPECT_EQ(xml_read_document(kValidPay, std::char_traits<char>::length(kValidPay), &document), ERROR_OK);
  return DocumentPtr<Pay>(static_cast<Pay*>(document.release()));
}

Payment& first(Pay& pay) { return *pay.Payments->get(0); }
StandingOrderExt& standing(Payment& p, std::int32_t options, const char* periodicity) {
  p.PaymentOptions = options;
  p.StandingOrderExt = std::make_unique<StandingOrderExt>();
  if (periodicity != nullptr) p.StandingOrderExt->Periodicity = periodicity;
  return *p.StandingOrderExt;
}
DirectDebitExt& debit(Payment& p, std::int32_t scheme) {
  p.PaymentOptions = kPaymentOptionDirectDebit;
  p.DirectDebitExt = std::make_unique<DirectDebitExt>();
  p.DirectDebitExt->DirectDebitScheme = scheme;
  p.DirectDebitExt->DirectDebitType = 0;
  return *p.DirectDebitExt;
}
DirectDebitExt& mandated(Payment& p, std::int32_t scheme) {
  DirectDebitExt& d = debit(p, scheme);
  d.MandateID = "M-1";
  d.CreditorID = "SK47ZZZ70000000123";
  return d;
}

struct Case {
  const char* label;
  std::function<void(Pay&)> change;
  std::string line;  // empty: valid
  ErrorCode code = ERROR_INVALID_VALUE;
};

std::string invalid(const std::string& rest) { return "ERROR_INVALID_VALUE: " + rest; }

TEST(PayValidate, AppliesTheRulesInOrder) {
  const std::string ori_excludes = " must be NULL, because OriginatorsReferenceInformation is not NULL. ";
  const std::string periodicity_excludes = " must be NULL if Periodicity does not require it. ";
  const Case cases[] = {
      {"valid", [](Pay&) {}, ""},
      {"payments absent", [](Pay& d) { d.Payments.reset(); }, invalid("Payments cannot be NULL. ")},
      {"payments empty", [](Pay& d) { d.Payments.emplace(); }, invalid("Payments list cannot be empty. ")},
      {"null payment", [](Pay& d) { d.Payments->append(nullptr); },
       invalid("Payments list cannot contain NULL value. ")},
      {"options absent", [](Pay& d) { first(d).PaymentOptions.reset(); },
       invalid("PaymentOptions cannot be NULL. ")},
      {"options 8", [](Pay& d) { first(d).PaymentOptions = 8; },
       invalid("PaymentOptions contains invalid values. ")},
      {"options 0", [](Pay& d) { first(d).PaymentOptions = 0; }, ""},
      {"currency before date",
       [](Pay& d) {
         first(d).CurrencyCode = "eur";
         first(d).PaymentDueDate = "x";
       },
       invalid("CurrencyCode is invalid currency code. ")},
      {"due date form", [](Pay& d) { first(d).PaymentDueDate = "2026/05/31"; },
       invalid("PaymentDueDate is invalid date format. ")},
      {"due date range", [](Pay& d) { first(d).PaymentDueDate = "2026-13-01"; },
       "ERROR_XML: PaymentDueDate is invalid date format. Day or month is out of range. ", ERROR_XML},
      {"due date absent", [](Pay& d) { first(d).PaymentDueDate.reset(); }, ""},
      {"reference excludes variable", [](Pay& d) { first(d).OriginatorsReferenceInformation = "R"; },
       invalid("VariableSymbol" + ori_excludes)},
      {"reference excludes constant",
       [](Pay& d) {
         first(d).OriginatorsReferenceInformation = "R";
         first(d).VariableSymbol.reset();
       },
       invalid("ConstantSymbol" + ori_excludes)},
      {"reference excludes specific",
       [](Pay& d) {
         first(d).OriginatorsReferenceInformation = "R";
         first(d).VariableSymbol.reset();
         first(d).ConstantSymbol.reset();
       },
       invalid("SpecificSymbol" + ori_excludes)},
      {"variable not digits", [](Pay& d) { first(d).VariableSymbol = "12a"; },
       invalid("VariableSymbol is invalid. Can contain only digits. ")},
      {"constant too long", [](Pay& d) { first(d).ConstantSymbol = "03081"; },
       invalid("ConstantSymbol is too long. ")},
      {"specific too long", [](Pay& d) { first(d).SpecificSymbol = "12345678901"; },
       invalid("SpecificSymbol is too long. ")},
      {"symbols before accounts",
       [](Pay& d) {
         first(d).SpecificSymbol = "x";
         first(d).BankAccounts.reset();
       },
       invalid("SpecificSymbol is invalid. Can contain only digits. ")},
      {"accounts absent", [](Pay& d) { first(d).BankAccounts.reset(); },
       invalid("BankAccounts cannot be NULL. ")},
      {"accounts empty", [](Pay& d) { first(d).BankAccounts.emplace(); },
       invalid("BankAccounts list cannot be empty. ")},
      {"iban", [](Pay& d) { first(d).BankAccounts->get(0)->IBAN = "sk31"; }, invalid("IBAN is invalid. ")},
      {"bic absent", [](Pay& d) { first(d).BankAccounts->get(0)->BIC.reset(); },
       invalid("BIC cannot be NULL. ")},
      {"second account", [](Pay& d) { first(d).BankAccounts->append(std::make_unique<BankAccount>()); },
       invalid("IBAN cannot be NULL. ")},
      {"standing order missing", [](Pay& d) { first(d).PaymentOptions = kPaymentOptionStandingOrder; },
       invalid("StandingOrderExt cannot be NULL. ")},
      {"periodicity missing", [](Pay& d) { standing(first(d), 2, nullptr); },
       invalid("Periodicity cannot be NULL. ")},
      {"monthly day 31", [](Pay& d) { standing(first(d), 3, "m").Day = 31; }, ""},
      {"monthly day 32", [](Pay& d) { standing(first(d), 2, "m").Day = 32; },
       invalid("Day is out of range. ")},
      {"bimonthly day 0", [](Pay& d) { standing(first(d), 2, "B").Day = 0; },
       invalid("Day is out of range. ")},
      {"weekly day 8", [](Pay& d) { standing(first(d), 2, "w").Day = 8; }, invalid("Day is out of range. ")},
      {"biweekly day 7", [](Pay& d) { standing(first(d), 2, "b").Day = 7; }, ""},
      {"weekly months ignored", [](Pay& d) { standing(first(d), 2, "w").Month = 4095; }, ""},
      {"annual day", [](Pay& d) { standing(first(d), 2, "a").Day = 1; },
       invalid("Day" + periodicity_excludes)},
      {"daily month", [](Pay& d) { standing(first(d), 2, "d").Month = 0; },
       invalid("Month" + periodicity_excludes)},
      {"quarterly bare", [](Pay& d) { standing(first(d), 2, "q"); }, ""},
      {"standing order not flagged", [](Pay& d) { standing(first(d), 1, "m"); },
       invalid("StandingOrderExt must be NULL, because PaymentOptions does not contain standingorder. ")},
      {"standing before debit", [](Pay& d) { standing(first(d), 6, "m").Day = 40; },
       invalid("Day is out of range. ")},
      {"direct debit missing", [](Pay& d) { first(d).PaymentOptions = kPaymentOptionDirectDebit; },
       invalid("DirectDebitExt cannot be NULL. ")},
      {"scheme absent", [](Pay& d) { debit(first(d), 0).DirectDebitScheme.reset(); },
       invalid("DirectDebitScheme cannot be NULL. ")},
      {"scheme 2", [](Pay& d) { debit(first(d), 2); }, invalid("DirectDebitScheme Invalid value. ")},
      {"type absent", [](Pay& d) { debit(first(d), 0).DirectDebitType.reset(); },
       invalid("DirectDebitType cannot be NULL. ")},
      {"type negative", [](Pay& d) { debit(first(d), 0).DirectDebitType = -1; },
       invalid("DirectDebitType Invalid value. ")},
      {"sepa without mandate", [](Pay& d) { debit(first(d), 1); }, invalid("MandateID cannot be NULL. ")},
      {"sepa without creditor", [](Pay& d) { mandated(first(d), 1).CreditorID.reset(); },
       invalid("CreditorID cannot be NULL. ")},
      {"sepa with variable", [](Pay& d) { mandated(first(d), 1).VariableSymbol = "1"; },
       invalid("VariableSymbol SEPA direct debit scheme selected")},
      {"sepa with reference", [](Pay& d) { mandated(first(d), 1).OriginatorsReferenceInformation = "R"; },
       invalid("OriginatorsReferenceInformation SEPA direct debit scheme selected")},
      {"sepa valid", [](Pay& d) { mandated(first(d), 1).MaxAmount = 0.0; }, ""},
      {"contract alone", [](Pay& d) { debit(first(d), 0).ContractID = "K"; },
       invalid("MandateID cannot be NULL. ")},
      {"mandate with specific", [](Pay& d) { mandated(first(d), 0).SpecificSymbol = "1"; },
       invalid("SpecificSymbol MandateID, CreditorID and ContractID are used")},
      {"reference with variable",
       [](Pay& d) {
         debit(first(d), 0).VariableSymbol = "1",
                         first(d).DirectDebitExt->OriginatorsReferenceInformation = "R";
       },
       invalid("VariableSymbol OriginatorsReferenceInformation is used")},
      {"reference with specific",
       [](Pay& d) {
         debit(first(d), 0).SpecificSymbol = "1",
                         first(d).DirectDebitExt->OriginatorsReferenceInformation = "R";
       },
       invalid("SpecificSymbol OriginatorsReferenceInformation is used")},
      {"debit variable digits", [](Pay& d) { debit(first(d), 0).VariableSymbol = "V1"; },
       invalid("VariableSymbol is invalid. Can contain only digits. ")},
      {"debit specific too long", [](Pay& d) { debit(first(d), 0).SpecificSymbol = "12345678901"; },
       invalid("SpecificSymbol is too long. ")},
      {"max amount negative", [](Pay& d) { debit(first(d), 0).MaxAmount = -0.01; },
       invalid("MaxAmount cannot be negative. ")},
      {"symbols only",
       [](Pay& d) {
         debit(first(d), 0).VariableSymbol = "1";
         first(d).DirectDebitExt->SpecificSymbol = "2";
       },
       ""},
      {"debit not flagged",
       [](Pay& d) {
         debit(first(d), 0);
         first(d).PaymentOptions = 1;
       },
       invalid("DirectDebitExt must be NULL, because PaymentOptions does not contain directdebit. ")},
      {"second payment", [](Pay& d) { d.Payments->append(std::make_unique<Payment>()); },
       invalid("PaymentOptions cannot be NULL. ")},
      {"first payment decides",
       [](Pay& d) {
         first(d).CurrencyCode = "EURO";
         d.Payments->append(std::make_unique<Payment>());
       },
       invalid("CurrencyCode is invalid currency code. ")},
  };
  for (const Case& c : cases) {
    DocumentPtr<Pay> pay = valid_pay();
    ASSERT_NE(pay, nullptr);
    c.change(*pay);
    set_error_message(ERROR_OK, "untouched");
    const ErrorCode code = document_validate(pay.get());
    if (c.line.empty()) {
      EXPECT_EQ(code, ERROR_OK) << c.label << ": " << error_line();
    } else {
      EXPECT_EQ(code, c.code) << c.label;
      EXPECT_EQ(error_line(), c.line) << c.label;
    }
  }
}

}  // namespace
}  // namespace tolvex
