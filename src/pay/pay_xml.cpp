#include "pay/pay_xml.h"

namespace tolvex {
namespace {

// The order in which the payment's elements are read decides which bad element is reported.
template <typename Xml, typename P>
void payment_tree(Xml& x, P& p) {
  x.flags("PaymentOptions", p.PaymentOptions, kPaymentOptionsNames);
  x.decimal("Amount", p.Amount);
  x.text("CurrencyCode", p.CurrencyCode);
  x.text("PaymentDueDate", p.PaymentDueDate);
  x.text("VariableSymbol", p.VariableSymbol);
  x.text("ConstantSymbol", p.ConstantSymbol);
  x.text("SpecificSymbol", p.SpecificSymbol);
  x.text("OriginatorsReferenceInformation", p.OriginatorsReferenceInformation);
  x.text("PaymentNote", p.PaymentNote);
  x.list("BankAccounts", "BankAccount", p.BankAccounts, [](auto& x, auto& a) {
    x.text("IBAN", a.IBAN);
    x.text("BIC", a.BIC);
  });
  x.record("StandingOrderExt", p.StandingOrderExt, [](auto& x, auto& s) {
    x.integer("Day", s.Day);
    x.flags("Month", s.Month, kMonthNames);
    x.code("Periodicity", s.Periodicity, kPeriodicityNames, kPeriodicityCodes);
    x.text("LastDate", s.LastDate);
  });
  // Unlike the wire order, the symbols come before the mandate identifiers here.
  x.record("DirectDebitExt", p.DirectDebitExt, [](auto& x, auto& d) {
    x.enumeration("DirectDebitScheme", d.DirectDebitScheme, kDirectDebitSchemeNames);
    x.enumeration("DirectDebitType", d.DirectDebitType, kDirectDebitTypeNames);
    x.text("VariableSymbol", d.VariableSymbol);
    x.text("SpecificSymbol", d.SpecificSymbol);
    x.text("MandateID", d.MandateID);
    x.text("CreditorID", d.CreditorID);
    x.text("ContractID", d.ContractID);
    x.text("OriginatorsReferenceInformation", d.OriginatorsReferenceInformation);
    x.decimal("MaxAmount", d.MaxAmount);
    x.text("ValidTillDate", d.ValidTillDate);
  });
}

template <typename Xml, typename D>
void pay_tree(Xml& x, D& pay) {
  x.text("InvoiceID", pay.InvoiceID);
  x.list("Payments", "Payment", pay.Payments, [](auto& x, auto& p) { payment_tree(x, p); });
}

}  // namespace

ErrorCode xml_read_pay(const xmlNode* root, DocumentPtr<>* document) {
  if (const ErrorCode code = xml_read_root_type(root, kPayTypeNames, nullptr)) return code;
  DocumentPtr<Pay> pay = pay_new();
  XmlTreeReader reader(root);
  pay_tree(reader, *pay);
  if (const ErrorCode code = reader.result()) return code;
  if (document != nullptr) *document = std::move(pay);
  return ERROR_OK;
}

void xml_write_pay(XmlTreeWriter& writer, const Pay& pay) { pay_tree(writer, pay); }

void xml_walk_pay(XmlTreeWalker& walker) {
  const DocumentPtr<Pay> pay = pay_new();
  pay_tree(walker, static_cast<const Pay&>(*pay));
}

void xml_find_pay(XmlTreeFinder& finder, const Pay& pay) { pay_tree(finder, pay); }

ErrorCode json_read_pay(const JsonValue& object, std::string_view path, DocumentPtr<>* document) {
  if (const ErrorCode code = json_read_root_type(object, path, kPayTypeNames, nullptr)) return code;
  DocumentPtr<Pay> pay = pay_new();
  JsonTreeReader reader(object, std::string(path));
  pay_tree(reader, *pay);
  if (const ErrorCode code = reader.result()) return code;
  if (document != nullptr) *document = std::move(pay);
  return ERROR_OK;
}

void json_write_pay(JsonTreeWriter& writer, const Pay& pay) { pay_tree(writer, pay); }

}  // namespace tolvex
