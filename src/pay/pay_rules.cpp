#include "pay/pay_rules.h"

#include <cstdint>
#include <string_view>

#include "base/messages.h"
#include "tolvex/pay.hpp"
#include "validate/field_checks.h"

namespace tolvex {
namespace {

constexpr const Message& kExcludedByReference = messages::kMustBeNullBecauseOfReference;
constexpr const Message& kNotRequiredByPeriodicity = messages::kMustBeNullUnlessPeriodicityRequires;

// A reference text replaces the three symbols; without it each symbol given must be digits.
ErrorCode check_payment_symbols(const Payment& payment) {
  if (payment.OriginatorsReferenceInformation) {
    if (const ErrorCode code =
            check_must_be_null("VariableSymbol", payment.VariableSymbol, kExcludedByReference)) {
      return code;
    }
    if (const ErrorCode code =
            check_must_be_null("ConstantSymbol", payment.ConstantSymbol, kExcludedByReference)) {
      return code;
    }
    return check_must_be_null("SpecificSymbol", payment.SpecificSymbol, kExcludedByReference);
  }
  if (payment.VariableSymbol) {
    if (const ErrorCode code = check_digits("VariableSymbol", payment.VariableSymbol, 10)) return code;
  }
  if (payment.ConstantSymbol) {
    if (const ErrorCode code = check_digits("ConstantSymbol", payment.ConstantSymbol, 4)) return code;
  }
  if (payment.SpecificSymbol) return check_digits("SpecificSymbol", payment.SpecificSymbol, 10);
  return ERROR_OK;
}

// check_list has already refused null accounts.
ErrorCode check_bank_accounts(const Payment& payment) {
  if (const ErrorCode code = check_list("BankAccounts", payment.BankAccounts)) return code;
  for (const Record<BankAccount>& account : *payment.BankAccounts) {
    if (const ErrorCode code = check_iban("IBAN", account->IBAN)) return code;
    if (const ErrorCode code = check_bic("BIC", account->BIC)) return code;
  }
  return ERROR_OK;
}

// Weekly periods name a weekday, monthly ones a day of the month; other periods take neither a
// day nor months.
ErrorCode check_standing_order(const Payment& payment) {
  if ((*payment.PaymentOptions & kPaymentOptionStandingOrder) == 0) {
    return check_must_be_null("StandingOrderExt", payment.StandingOrderExt,
                              messages::kMustBeNullWithoutStandingOrder);
  }
  if (const ErrorCode code = check_not_null("StandingOrderExt", payment.StandingOrderExt)) return code;
  const StandingOrderExt& order = *payment.StandingOrderExt;
  if (const ErrorCode code = check_not_null("Periodicity", order.Periodicity)) return code;
  switch (order.Periodicity->empty() ? '\0' : order.Periodicity->front()) {
    case 'w':
    case 'b':
      return check_int_range("Day", order.Day, 1, 7);
    case 'm':
    case 'B':
      return check_int_range("Day", order.Day, 1, 31);
    default:
      if (const ErrorCode code = check_must_be_null("Day", order.Day, kNotRequiredByPeriodicity)) return code;
      return check_must_be_null("Month", order.Month, kNotRequiredByPeriodicity);
  }
}

ErrorCode check_enumeration(std::string_view name, const Enumeration& value, std::uint32_t last) {
  if (const ErrorCode code = check_not_null(name, value)) return code;
  if (static_cast<std::uint32_t>(*value) > last) return report_field(name, messages::kInvalidValue);
  return ERROR_OK;
}

// The mandate identifiers (always with SEPA) exclude the symbols; a reference text alone
// excludes the variable and specific symbol.
ErrorCode check_direct_debit_symbols(const DirectDebitExt& debit) {
  const bool sepa = *debit.DirectDebitScheme == kDirectDebitSchemeSepa;
  if (sepa || debit.MandateID || debit.CreditorID || debit.ContractID) {
    if (const ErrorCode code = check_not_null("MandateID", debit.MandateID)) return code;
    if (const ErrorCode code = check_not_null("CreditorID", debit.CreditorID)) return code;
    const Message& reason = sepa ? messages::kSepaSchemeSelected : messages::kMandateIdentifiersUsed;
    if (const ErrorCode code = check_must_be_null("VariableSymbol", debit.VariableSymbol, reason))
      return code;
    if (const ErrorCode code = check_must_be_null("SpecificSymbol", debit.SpecificSymbol, reason))
      return code;
    return check_must_be_null("OriginatorsReferenceInformation", debit.OriginatorsReferenceInformation,
                              reason);
  }
  if (debit.OriginatorsReferenceInformation) {
    constexpr const Message& kReason = messages::kReferenceInformationUsed;
    if (const ErrorCode code = check_must_be_null("VariableSymbol", debit.VariableSymbol, kReason))
      return code;
    return check_must_be_null("SpecificSymbol", debit.SpecificSymbol, kReason);
  }
  return ERROR_OK;
}

ErrorCode check_direct_debit(const Payment& payment) {
  if ((*payment.PaymentOptions & kPaymentOptionDirectDebit) == 0) {
    return check_must_be_null("DirectDebitExt", payment.DirectDebitExt,
                              messages::kMustBeNullWithoutDirectDebit);
  }
  if (const ErrorCode code = check_not_null("DirectDebitExt", payment.DirectDebitExt)) return code;
  const DirectDebitExt& debit = *payment.DirectDebitExt;
  if (const ErrorCode code = check_enumeration("DirectDebitScheme", debit.DirectDebitScheme, 1)) return code;
  if (const ErrorCode code = check_enumeration("DirectDebitType", debit.DirectDebitType, 1)) return code;
  if (const ErrorCode code = check_direct_debit_symbols(debit)) return code;
  if (debit.VariableSymbol) {
    if (const ErrorCode code = check_digits("VariableSymbol", debit.VariableSymbol, 10)) return code;
  }
  if (debit.SpecificSymbol) {
    if (const ErrorCode code = check_digits("SpecificSymbol", debit.SpecificSymbol, 10)) return code;
  }
  if (debit.MaxAmount) return check_non_negative("MaxAmount", debit.MaxAmount);
  return ERROR_OK;
}

ErrorCode check_payment(const Payment& payment) {
  if (const ErrorCode code = check_flags("PaymentOptions", payment.PaymentOptions, 3)) return code;
  if (const ErrorCode code = check_currency_code("CurrencyCode", payment.CurrencyCode)) return code;
  if (payment.PaymentDueDate) {
    if (const ErrorCode code = check_date("PaymentDueDate", payment.PaymentDueDate)) return code;
  }
  if (const ErrorCode code = check_payment_symbols(payment)) return code;
  if (const ErrorCode code = check_bank_accounts(payment)) return code;
  if (const ErrorCode code = check_standing_order(payment)) return code;
  return check_direct_debit(payment);
}

}  // namespace

ErrorCode pay_validate(const Document* document) {
  if (const ErrorCode code = check_not_null("Pay", document)) return code;
  const Pay& pay = *static_cast<const Pay*>(document);
  if (const ErrorCode code = check_list("Payments", pay.Payments)) return code;
  for (const Record<Payment>& payment : *pay.Payments) {
    if (const ErrorCode code = check_payment(*payment)) return code;
  }
  return ERROR_OK;
}

}  // namespace tolvex
