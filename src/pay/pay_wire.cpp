#include "pay/pay_wire.h"

#include "codec/field_wire.h"

namespace tolvex {
namespace {

template <typename Wire, typename P>
void payment_wire(Wire& w, P& p) {
  w.integer(p.PaymentOptions);
  w.decimal(p.Amount);
  w.text(p.CurrencyCode);
  w.date(p.PaymentDueDate);
  w.text(p.VariableSymbol);
  w.text(p.ConstantSymbol);
  w.text(p.SpecificSymbol);
  w.text(p.OriginatorsReferenceInformation);
  w.text(p.PaymentNote);
  w.list(p.BankAccounts, [](auto& w, auto& a) {
    w.text(a.IBAN);
    w.text(a.BIC);
  });
  w.flagged_record(p.StandingOrderExt, [](auto& w, auto& s) {
    w.integer(s.Day);
    w.integer(s.Month);
    w.text(s.Periodicity);
    w.date(s.LastDate);
  });
  // Unlike the XML tree, the reference text comes before the mandate identifiers here.
  w.flagged_record(p.DirectDebitExt, [](auto& w, auto& d) {
    w.integer(d.DirectDebitScheme);
    w.integer(d.DirectDebitType);
    w.text(d.VariableSymbol);
    w.text(d.SpecificSymbol);
    w.text(d.OriginatorsReferenceInformation);
    w.text(d.MandateID);
    w.text(d.CreditorID);
    w.text(d.ContractID);
    w.decimal(d.MaxAmount);
    w.date(d.ValidTillDate);
  });
}

template <typename Wire, typename D>
void pay_wire(Wire& w, D& pay) {
  w.text(pay.InvoiceID);
  w.list(pay.Payments, [](auto& w, auto& p) { payment_wire(w, p); });
}

}  // namespace

void serialise_pay(FieldBuffer& buffer, const Pay& pay) {
  FieldWriter writer(buffer);
  pay_wire(writer, pay);
}

DocumentPtr<Pay> deserialise_pay(FieldBuffer& buffer) {
  DocumentPtr<Pay> pay = pay_new();
  FieldReader reader(buffer);
  pay_wire(reader, *pay);
  return pay;
}

}  // namespace tolvex
