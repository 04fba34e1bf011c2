// The PAY family: one or more payment orders, standing orders or direct debits.
#pragma once

#include <array>
#include <string_view>

#include "tolvex/document.hpp"
#include "tolvex/value.hpp"

namespace tolvex {

// PaymentOptions flag names; bit i is the i-th name.
inline constexpr std::array<std::string_view, 3> kPaymentOptionsNames = {"paymentorder", "standingorder",
                                                                        "directdebit"};
inline constexpr std::int32_t kPaymentOptionPaymentOrder = 1;
inline constexpr std::int32_t kPaymentOptionStandingOrder = 2;
inline constexpr std::int32_t kPaymentOptionDirectDebit = 4;

inline constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Periodicity is held as the one-letter code beside its name (case matters: "b" and "B").
inline constexpr std::array<std::string_view, 8> kPeriodicityNames = {
    "Daily", "Weekly", "Biweekly", "Monthly", "Bimonthly", "Quarterly", "Annually", "Semiannually"};
inline constexpr std::array<std::string_view, 8> kPeriodicityCodes = {"d", "w", "b", "m", "B", "q", "a", "s"};

inline constexpr std::array<std::string_view, 2> kDirectDebitSchemeNames = {"other", "SEPA"};
inline constexpr std::int32_t kDirectDebitSchemeSepa = 1;
inline constexpr std::array<std::string_view, 2> kDirectDebitTypeNames = {"one-off", "recurrent"};

struct BankAccount {
  Text IBAN;
  Text BIC;
};

struct StandingOrderExt {
  Integer Day;
  FlagSet Month;
  CodeText Periodicity;
  Text LastDate;
};

struct DirectDebitExt {
  Enumeration DirectDebitScheme;
  Enumeration DirectDebitType;
  Text VariableSymbol;
  Text SpecificSymbol;
  Text OriginatorsReferenceInformation;
  Text MandateID;
  Text CreditorID;
  Text ContractID;
  Decimal MaxAmount;
  Text ValidTillDate;
};

struct Payment {
  FlagSet PaymentOptions;
  Decimal Amount;
  Text CurrencyCode;
  Text PaymentDueDate;
  Text VariableSymbol;
  Text ConstantSymbol;
  Text SpecificSymbol;
  Text OriginatorsReferenceInformation;
  Text PaymentNote;
  List<BankAccount> BankAccounts;
  Record<tolvex::StandingOrderExt> StandingOrderExt;
  Record<tolvex::DirectDebitExt> DirectDebitExt;
};

struct Pay : Document {
  Text InvoiceID;
  List<Payment> Payments;
};

// A new PAY document: header 0x00 0x00, every field absent.
[[nodiscard]] DocumentPtr<Pay> pay_new();
void pay_free(Document* document);

}  // namespace tolvex
