#include "pay/pay_summary.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "readable/readable.h"
#include "readable/summary_text.h"

namespace tolvex {
namespace {

// The kinds a payment can be, by PaymentOptions bit; a payment of several kinds names them all.
constexpr std::array<std::string_view, 3> kKinds = {"payment order", "standing order", "direct debit"};
constexpr std::string_view kNoKind = "payment";

// The labels of a payment's lines, in the order the lines are written. A new field gets its
// label here and its line at the same place in payment_block.
constexpr std::string_view kInvoice = "Invoice";
constexpr std::string_view kAmount = "Amount";
constexpr std::string_view kCurrency = "Currency";  // only without an amount
constexpr std::string_view kAccount = "Account";    // one line per account
constexpr std::string_view kDueDate = "Due date";
constexpr std::string_view kVariableSymbol = "Variable symbol";
constexpr std::string_view kConstantSymbol = "Constant symbol";
constexpr std::string_view kSpecificSymbol = "Specific symbol";
constexpr std::string_view kReference = "Reference";
constexpr std::string_view kNote = "Note";
// StandingOrderExt
constexpr std::string_view kPeriod = "Period";
constexpr std::string_view kDay = "Day";
constexpr std::string_view kMonths = "Months";
constexpr std::string_view kLastPayment = "Last payment";
// DirectDebitExt
constexpr std::string_view kScheme = "Scheme";
constexpr std::string_view kDebitType = "Debit type";
constexpr std::string_view kMandate = "Mandate";
constexpr std::string_view kCreditorId = "Creditor ID";
constexpr std::string_view kContract = "Contract";
constexpr std::string_view kDebitSymbols = "Debit symbols";
constexpr std::string_view kDebitReference = "Debit reference";
constexpr std::string_view kMaximumAmount = "Maximum amount";
constexpr std::string_view kValidUntil = "Valid until";

std::string title_of(const FlagSet& options) {
  std::string title;
  for (std::size_t bit = 0; bit < kKinds.size(); ++bit) {
    if (!options || (*options & (std::int32_t{1} << bit)) == 0) continue;
    if (!title.empty()) title += " and ";
    title += kKinds[bit];
  }
  if (title.empty()) title = kNoKind;
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title;
}

template <std::size_t N>
std::string name_of(const Enumeration& value, const std::array<std::string_view, N>& names) {
  if (*value >= 0 && static_cast<std::size_t>(*value) < N) return std::string(names[*value]);
  return std::to_string(*value);
}

std::string periodicity_name(const std::string& code) {
  const auto found = std::find(kPeriodicityCodes.begin(), kPeriodicityCodes.end(), code);
  if (found == kPeriodicityCodes.end()) return code;
  return std::string(kPeriodicityNames[static_cast<std::size_t>(found - kPeriodicityCodes.begin())]);
}

std::string account_of(const BankAccount& account) {
  std::string text = account.IBAN ? group_by_four(*account.IBAN) : std::string();
  if (account.BIC) text += (text.empty() ? "BIC " : ", BIC ") + *account.BIC;
  return text;
}

// "variable 1234, specific 5678", the symbols a direct debit is limited to.
std::string debit_symbols(const DirectDebitExt& debit) {
  std::string text;
  if (debit.VariableSymbol) text = "variable " + *debit.VariableSymbol;
  if (debit.SpecificSymbol) text += (text.empty() ? "specific " : ", specific ") + *debit.SpecificSymbol;
  return text;
}

void standing_order_lines(SummaryText& out, const StandingOrderExt& order) {
  if (order.Periodicity) out.line(kPeriod, periodicity_name(*order.Periodicity));
  if (order.Day) out.line(kDay, std::to_string(*order.Day));
  if (order.Month) out.line(kMonths, flag_names(*order.Month, kMonthNames));
  out.optional_line(kLastPayment, order.LastDate);
}

void direct_debit_lines(SummaryText& out, const DirectDebitExt& debit, std::string_view currency) {
  if (debit.DirectDebitScheme) out.line(kScheme, name_of(debit.DirectDebitScheme, kDirectDebitSchemeNames));
  if (debit.DirectDebitType) out.line(kDebitType, name_of(debit.DirectDebitType, kDirectDebitTypeNames));
  out.optional_line(kMandate, debit.MandateID);
  out.optional_line(kCreditorId, debit.CreditorID);
  out.optional_line(kContract, debit.ContractID);
  if (debit.VariableSymbol || debit.SpecificSymbol) out.line(kDebitSymbols, debit_symbols(debit));
  out.optional_line(kDebitReference, debit.OriginatorsReferenceInformation);
  if (debit.MaxAmount) out.line(kMaximumAmount, format_amount(*debit.MaxAmount, currency));
  out.optional_line(kValidUntil, debit.ValidTillDate);
}

void payment_block(SummaryText& out, const Pay& pay, const Payment& payment) {
  const std::string_view currency = payment.CurrencyCode ? std::string_view(*payment.CurrencyCode) : "";
  out.title(title_of(payment.PaymentOptions));
  out.optional_line(kInvoice, pay.InvoiceID);
  if (payment.Amount) {
    out.line(kAmount, format_amount(*payment.Amount, currency));
  } else {
    out.optional_line(kCurrency, payment.CurrencyCode);
  }
  if (payment.BankAccounts) {
    for (const Record<BankAccount>& account : *payment.BankAccounts) {
      if (account) out.line(kAccount, account_of(*account));
    }
  }
  out.optional_line(kDueDate, payment.PaymentDueDate);
  out.optional_line(kVariableSymbol, payment.VariableSymbol);
  out.optional_line(kConstantSymbol, payment.ConstantSymbol);
  out.optional_line(kSpecificSymbol, payment.SpecificSymbol);
  out.optional_line(kReference, payment.OriginatorsReferenceInformation);
  out.optional_line(kNote, payment.PaymentNote);
  if (payment.StandingOrderExt) standing_order_lines(out, *payment.StandingOrderExt);
  if (payment.DirectDebitExt) direct_debit_lines(out, *payment.DirectDebitExt, currency);
}

}  // namespace

std::string pay_summary(const Pay& pay) {
  SummaryText out;
  bool any = false;
  if (pay.Payments) {
    for (const Record<Payment>& payment : *pay.Payments) {
      if (!payment) continue;
      payment_block(out, pay, *payment);
      any = true;
    }
  }
  // Without a payment the document still says which invoice it is for.
  if (!any) {
    out.title(title_of(std::nullopt));
    out.optional_line(kInvoice, pay.InvoiceID);
  }
  return out.text();
}

}  // namespace tolvex
