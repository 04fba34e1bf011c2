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
void check_payment_symbols(const Payment& payment, RuleRun& run) {
  if (payment.OriginatorsReferenceInformation) {
    if (run.stops(check_must_be_null("VariableSymbol", payment.VariableSymbol, kExcludedByReference))) return;
    if (run.stops(check_must_be_null("ConstantSymbol", payment.ConstantSymbol, kExcludedByReference))) return;
    run.record(check_must_be_null("SpecificSymbol", payment.SpecificSymbol, kExcludedByReference));
    return;
  }
  if (payment.VariableSymbol && run.stops(check_digits("VariableSymbol", payment.VariableSymbol, 10))) return;
  if (payment.ConstantSymbol && run.stops(check_digits("ConstantSymbol", payment.ConstantSymbol, 4))) return;
  if (payment.SpecificSymbol) run.record(check_digits("SpecificSymbol", payment.SpecificSymbol, 10));
}

// check_list has already refused null accounts.
void check_bank_accounts(const Payment& payment, RuleRun& run) {
  if (run.fails(check_list("BankAccounts", payment.BankAccounts))) return;
  std::size_t index = 0;
  for (const Record<BankAccount>& account : *payment.BankAccounts) {
    const RuleRun::Scope scope(run, "BankAccounts", index++);
    if (run.stops(check_iban("IBAN", account->IBAN))) return;
    if (run.stops(check_bic("BIC", account->BIC))) return;
  }
}

// Weekly periods name a weekday, monthly ones a day of the month; other periods take neither a
// day nor months.
void check_standing_order(const Payment& payment, RuleRun& run) {
  if ((*payment.PaymentOptions & kPaymentOptionStandingOrder) == 0) {
    run.record(check_must_be_null("StandingOrderExt", payment.StandingOrderExt,
                                  messages::kMustBeNullWithoutStandingOrder));
    return;
  }
  if (run.fails(check_not_null("StandingOrderExt", payment.StandingOrderExt))) return;
  const StandingOrderExt& order = *payment.StandingOrderExt;
  const RuleRun::Scope scope(run, "StandingOrderExt");
  if (run.fails(check_not_null("Periodicity", order.Periodicity))) return;
  switch (order.Periodicity->empty() ? '\0' : order.Periodicity->front()) {
    case 'w':
    case 'b':
      run.record(check_int_range("Day", order.Day, 1, 7));
      return;
    case 'm':
    case 'B':
      run.record(check_int_range("Day", order.Day, 1, 31));
      return;
    default:
      if (run.stops(check_must_be_null("Day", order.Day, kNotRequiredByPeriodicity))) return;
      run.record(check_must_be_null("Month", order.Month, kNotRequiredByPeriodicity));
  }
}

ErrorCode check_enumeration(std::string_view name, const Enumeration& value, std::uint32_t last) {
  if (const ErrorCode code = check_not_null(name, value)) return code;
  if (static_cast<std::uint32_t>(*value) > last) return report_field(name, messages::kInvalidValue);
  return ERROR_OK;
}

// The mandate identifiers (always with SEPA) exclude the symbols; a reference text alone
// excludes the variable and specific symbol.
void check_direct_debit_symbols(const DirectDebitExt& debit, RuleRun& run) {
  const bool sepa = *debit.DirectDebitScheme == kDirectDebitSchemeSepa;
  if (sepa || debit.MandateID || debit.CreditorID || debit.ContractID) {
    if (run.stops(check_not_null("MandateID", debit.MandateID))) return;
    if (run.stops(check_not_null("CreditorID", debit.CreditorID))) return;
    const Message& reason = sepa ? messages::kSepaSchemeSelected : messages::kMandateIdentifiersUsed;
    if (run.stops(check_must_be_null("VariableSymbol", debit.VariableSymbol, reason))) return;
    if (run.stops(check_must_be_null("SpecificSymbol", debit.SpecificSymbol, reason))) return;
    run.record(check_must_be_null("OriginatorsReferenceInformation", debit.OriginatorsReferenceInformation, reason));
    return;
  }
  if (debit.OriginatorsReferenceInformation) {
    constexpr const Message& kReason = messages::kReferenceInformationUsed;
    if (run.stops(check_must_be_null("VariableSymbol", debit.VariableSymbol, kReason))) return;
    run.record(check_must_be_null("SpecificSymbol", debit.SpecificSymbol, kReason));
  }
}

void check_direct_debit(const Payment& payment, RuleRun& run) {
  if ((*payment.PaymentOptions & kPaymentOptionDirectDebit) == 0) {
    run.record(
        check_must_be_null("DirectDebitExt", payment.DirectDebitExt, messages::kMustBeNullWithoutDirectDebit));
    return;
  }
  if (run.fails(check_not_null("DirectDebitExt", payment.DirectDebitExt))) return;
  const DirectDebitExt& debit = *payment.DirectDebitExt;
  const RuleRun::Scope scope(run, "DirectDebitExt");
  // The symbols' rules read the scheme.
  if (run.fails(check_enumeration("DirectDebitScheme", debit.DirectDebitScheme, 1))) return;
  if (run.stops(check_enumeration("DirectDebitType", debit.DirectDebitType, 1))) return;
  check_direct_debit_symbols(debit, run);
  if (run.stopped()) return;
  if (debit.VariableSymbol && run.stops(check_digits("VariableSymbol", debit.VariableSymbol, 10))) return;
  if (debit.SpecificSymbol && run.stops(check_digits("SpecificSymbol", debit.SpecificSymbol, 10))) return;
  if (debit.MaxAmount) run.record(check_non_negative("MaxAmount", debit.MaxAmount));
}

void check_payment(const Payment& payment, RuleRun& run) {
  // The standing order's and direct debit's rules read the options.
  const bool options = !run.fails(check_flags("PaymentOptions", payment.PaymentOptions, 3));
  if (run.stopped()) return;
  if (run.stops(check_currency_code("CurrencyCode", payment.CurrencyCode))) return;
  if (payment.PaymentDueDate && run.stops(check_date("PaymentDueDate", payment.PaymentDueDate))) return;
  check_payment_symbols(payment, run);
  if (run.stopped()) return;
  check_bank_accounts(payment, run);
  if (run.stopped() || !options) return;
  check_standing_order(payment, run);
  if (run.stopped()) return;
  check_direct_debit(payment, run);
}

}  // namespace

void pay_rules(const Document* document, RuleRun& run) {
  if (run.fails(check_not_null("Pay", document))) return;
  const Pay& pay = *static_cast<const Pay*>(document);
  if (run.fails(check_list("Payments", pay.Payments))) return;
  std::size_t index = 0;
  for (const Record<Payment>& payment : *pay.Payments) {
    const RuleRun::Scope scope(run, "Payments", index++);
    check_payment(*payment, run);
    if (run.stopped()) return;
  }
}

ErrorCode pay_validate(const Document* document) {
  RuleRun run;
  pay_rules(document, run);
  return run.result();
}

}  // namespace tolvex
