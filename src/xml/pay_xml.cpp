#include "xml/pay_xml.h"

#include <array>
#include <memory>
#include <string_view>

#include "document/pay.h"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

constexpr std::array<std::string_view, 1> kPayTypes = {"Pay"};

ErrorCode read_bank_account(const xmlNode* element, Record<BankAccount>& account) {
  account = std::make_unique<BankAccount>();
  xml_read_text(element, "IBAN", account->IBAN);
  xml_read_text(element, "BIC", account->BIC);
  return ERROR_OK;
}

ErrorCode read_standing_order(const xmlNode* element, StandingOrderExt& order) {
  if (const ErrorCode code = xml_read_integer(element, "Day", order.Day)) return code;
  if (const ErrorCode code = xml_read_flags(element, "Month", order.Month, MonthNames)) return code;
  if (const ErrorCode code =
          xml_read_enum_code(element, "Periodicity", order.Periodicity, PeriodicityNames, PeriodicityCodes)) {
    return code;
  }
  xml_read_text(element, "LastDate", order.LastDate);
  return ERROR_OK;
}

// The element order differs from the field order: the symbols come before the mandate identifiers.
ErrorCode read_direct_debit(const xmlNode* element, DirectDebitExt& debit) {
  if (const ErrorCode code =
          xml_read_enum(element, "DirectDebitScheme", debit.DirectDebitScheme, DirectDebitSchemeNames)) {
    return code;
  }
  if (const ErrorCode code =
          xml_read_enum(element, "DirectDebitType", debit.DirectDebitType, DirectDebitTypeNames)) {
    return code;
  }
  xml_read_text(element, "VariableSymbol", debit.VariableSymbol);
  xml_read_text(element, "SpecificSymbol", debit.SpecificSymbol);
  xml_read_text(element, "MandateID", debit.MandateID);
  xml_read_text(element, "CreditorID", debit.CreditorID);
  xml_read_text(element, "ContractID", debit.ContractID);
  xml_read_text(element, "OriginatorsReferenceInformation", debit.OriginatorsReferenceInformation);
  if (const ErrorCode code = xml_read_decimal(element, "MaxAmount", debit.MaxAmount)) return code;
  xml_read_text(element, "ValidTillDate", debit.ValidTillDate);
  return ERROR_OK;
}

ErrorCode read_payment(const xmlNode* element, Record<Payment>& payment) {
  payment = std::make_unique<Payment>();
  if (const ErrorCode code =
          xml_read_flags(element, "PaymentOptions", payment->PaymentOptions, PaymentOptionsNames)) {
    return code;
  }
  if (const ErrorCode code = xml_read_decimal(element, "Amount", payment->Amount)) return code;
  xml_read_text(element, "CurrencyCode", payment->CurrencyCode);
  xml_read_text(element, "PaymentDueDate", payment->PaymentDueDate);
  xml_read_text(element, "VariableSymbol", payment->VariableSymbol);
  xml_read_text(element, "ConstantSymbol", payment->ConstantSymbol);
  xml_read_text(element, "SpecificSymbol", payment->SpecificSymbol);
  xml_read_text(element, "OriginatorsReferenceInformation", payment->OriginatorsReferenceInformation);
  xml_read_text(element, "PaymentNote", payment->PaymentNote);
  if (const ErrorCode code =
          xml_read_list(element, "BankAccounts", "BankAccount", payment->BankAccounts, read_bank_account)) {
    return code;
  }
  if (const xmlNode* child = xml_child(element, "StandingOrderExt")) {
    payment->StandingOrderExt = std::make_unique<StandingOrderExt>();
    if (const ErrorCode code = read_standing_order(child, *payment->StandingOrderExt)) return code;
  }
  if (const xmlNode* child = xml_child(element, "DirectDebitExt")) {
    payment->DirectDebitExt = std::make_unique<DirectDebitExt>();
    if (const ErrorCode code = read_direct_debit(child, *payment->DirectDebitExt)) return code;
  }
  return ERROR_OK;
}

}  // namespace

ErrorCode xml_read_pay(const xmlNode* root, DocumentPtr<>& document) {
  unsigned type = 0;
  if (const ErrorCode code = xml_read_root_type(root, kPayTypes, type)) return code;
  DocumentPtr<Pay> pay = pay_new();
  xml_read_text(root, "InvoiceID", pay->InvoiceID);
  if (const ErrorCode code = xml_read_list(root, "Payments", "Payment", pay->Payments, read_payment))
    return code;
  document = std::move(pay);
  return ERROR_OK;
}

}  // namespace tolvex
