#include "codec/serialise.h"

#include "document/invoice.h"
#include "document/invoice_items.h"
#include "document/pay.h"

namespace tolvex {
namespace {

void put_absent(FieldBuffer& buffer, int count) {
  for (int i = 0; i < count; ++i) field_put_absent(buffer);
}

// A list count; an absent list counts 0 and nothing of it follows.
template <typename T>
void put_count(FieldBuffer& buffer, const List<T>& list) {
  field_put_integer(buffer, static_cast<std::int32_t>(pointer_list_count(list)));
}

// Presence flag of an optional record.
template <typename T>
void put_presence(FieldBuffer& buffer, const Record<T>& record) {
  field_put_integer(buffer, record ? 1 : 0);
}

void put_bank_account(FieldBuffer& buffer, const BankAccount* account) {
  if (account == nullptr) {
    put_absent(buffer, 2);
    return;
  }
  field_put_text(buffer, account->IBAN);
  field_put_text(buffer, account->BIC);
}

void put_standing_order(FieldBuffer& buffer, const Record<StandingOrderExt>& order) {
  put_presence(buffer, order);
  if (!order) return;
  field_put_optional_integer(buffer, order->Day);
  field_put_optional_integer(buffer, order->Month);
  field_put_text(buffer, order->Periodicity);
  field_put_date(buffer, order->LastDate);
}

// Not the order in which the XML reader meets these elements.
void put_direct_debit(FieldBuffer& buffer, const Record<DirectDebitExt>& debit) {
  put_presence(buffer, debit);
  if (!debit) return;
  field_put_optional_integer(buffer, debit->DirectDebitScheme);
  field_put_optional_integer(buffer, debit->DirectDebitType);
  field_put_text(buffer, debit->VariableSymbol);
  field_put_text(buffer, debit->SpecificSymbol);
  field_put_text(buffer, debit->OriginatorsReferenceInformation);
  field_put_text(buffer, debit->MandateID);
  field_put_text(buffer, debit->CreditorID);
  field_put_text(buffer, debit->ContractID);
  field_put_decimal(buffer, debit->MaxAmount);
  field_put_date(buffer, debit->ValidTillDate);
}

void put_payment(FieldBuffer& buffer, const Payment* payment) {
  if (payment == nullptr) {
    // Nine empty fields, then no bank account, no standing order, no direct debit.
    put_absent(buffer, 9);
    for (int i = 0; i < 3; ++i) field_put_integer(buffer, 0);
    return;
  }
  field_put_optional_integer(buffer, payment->PaymentOptions);
  field_put_decimal(buffer, payment->Amount);
  field_put_text(buffer, payment->CurrencyCode);
  field_put_date(buffer, payment->PaymentDueDate);
  field_put_text(buffer, payment->VariableSymbol);
  field_put_text(buffer, payment->ConstantSymbol);
  field_put_text(buffer, payment->SpecificSymbol);
  field_put_text(buffer, payment->OriginatorsReferenceInformation);
  field_put_text(buffer, payment->PaymentNote);
  put_count(buffer, payment->BankAccounts);
  if (payment->BankAccounts) {
    for (const auto& account : *payment->BankAccounts) put_bank_account(buffer, account.get());
  }
  put_standing_order(buffer, payment->StandingOrderExt);
  put_direct_debit(buffer, payment->DirectDebitExt);
}

void put_pay(FieldBuffer& buffer, const Pay& pay) {
  field_put_text(buffer, pay.InvoiceID);
  put_count(buffer, pay.Payments);
  if (pay.Payments) {
    for (const auto& payment : *pay.Payments) put_payment(buffer, payment.get());
  }
}

void put_postal_address(FieldBuffer& buffer, const PostalAddress* address) {
  if (address == nullptr) {
    put_absent(buffer, 6);
    return;
  }
  field_put_text(buffer, address->StreetName);
  field_put_text(buffer, address->BuildingNumber);
  field_put_text(buffer, address->CityName);
  field_put_text(buffer, address->PostalZone);
  field_put_text(buffer, address->State);
  field_put_text(buffer, address->Country);
}

void put_contact(FieldBuffer& buffer, const Contact* contact) {
  if (contact == nullptr) {
    put_absent(buffer, 3);
    return;
  }
  field_put_text(buffer, contact->Name);
  field_put_text(buffer, contact->Telephone);
  field_put_text(buffer, contact->EMail);
}

void put_supplier(FieldBuffer& buffer, const SupplierParty* supplier) {
  if (supplier == nullptr) {
    put_absent(buffer, 13);
    return;
  }
  field_put_text(buffer, supplier->PartyName);
  field_put_text(buffer, supplier->CompanyTaxID);
  field_put_text(buffer, supplier->CompanyVATID);
  field_put_text(buffer, supplier->CompanyRegisterID);
  put_postal_address(buffer, supplier->PostalAddress.get());
  put_contact(buffer, supplier->Contact.get());
}

void put_customer(FieldBuffer& buffer, const CustomerParty* customer) {
  if (customer == nullptr) {
    put_absent(buffer, 5);
    return;
  }
  field_put_text(buffer, customer->PartyName);
  field_put_text(buffer, customer->CompanyTaxID);
  field_put_text(buffer, customer->CompanyVATID);
  field_put_text(buffer, customer->CompanyRegisterID);
  field_put_text(buffer, customer->PartyIdentification);
}

// Only the carried fields of the line; its unit prices are computed.
void put_single_line(FieldBuffer& buffer, const SingleInvoiceLine* line) {
  if (line == nullptr) {
    put_absent(buffer, 7);
    return;
  }
  field_put_text(buffer, line->OrderLineID);
  field_put_text(buffer, line->DeliveryNoteLineID);
  field_put_text(buffer, line->ItemName);
  field_put_text(buffer, line->ItemEANCode);
  field_put_date(buffer, line->PeriodFromDate);
  field_put_date(buffer, line->PeriodToDate);
  field_put_decimal(buffer, line->InvoicedQuantity);
}

void put_tax_summary(FieldBuffer& buffer, const TaxCategorySummary* summary) {
  if (summary == nullptr) {
    put_absent(buffer, 5);
    return;
  }
  field_put_decimal(buffer, summary->ClassifiedTaxCategory);
  field_put_decimal(buffer, summary->TaxExclusiveAmount);
  field_put_decimal(buffer, summary->TaxAmount);
  field_put_decimal(buffer, summary->AlreadyClaimedTaxExclusiveAmount);
  field_put_decimal(buffer, summary->AlreadyClaimedTaxAmount);
}

void put_monetary_summary(FieldBuffer& buffer, const MonetarySummary* summary) {
  if (summary == nullptr) {
    put_absent(buffer, 2);
    return;
  }
  field_put_decimal(buffer, summary->PayableRoundingAmount);
  field_put_decimal(buffer, summary->PaidDepositsAmount);
}

// The document type travels in the header, not in the text.
void put_invoice(FieldBuffer& buffer, const Invoice& invoice) {
  field_put_text(buffer, invoice.InvoiceID);
  field_put_date(buffer, invoice.IssueDate);
  field_put_date(buffer, invoice.TaxPointDate);
  field_put_text(buffer, invoice.OrderID);
  field_put_text(buffer, invoice.DeliveryNoteID);
  field_put_text(buffer, invoice.LocalCurrencyCode);
  field_put_text(buffer, invoice.ForeignCurrencyCode);
  field_put_decimal(buffer, invoice.CurrRate);
  field_put_decimal(buffer, invoice.ReferenceCurrRate);
  put_supplier(buffer, invoice.SupplierParty.get());
  put_customer(buffer, invoice.CustomerParty.get());
  field_put_optional_integer(buffer, invoice.NumberOfInvoiceLines);
  field_put_text(buffer, invoice.InvoiceDescription);
  put_single_line(buffer, invoice.SingleInvoiceLine.get());
  put_count(buffer, invoice.TaxCategorySummaries);
  if (invoice.TaxCategorySummaries) {
    for (const auto& summary : *invoice.TaxCategorySummaries) put_tax_summary(buffer, summary.get());
  }
  put_monetary_summary(buffer, invoice.MonetarySummary.get());
  field_put_optional_integer(buffer, invoice.PaymentMeans);
}

void put_invoice_line(FieldBuffer& buffer, const InvoiceLine* line) {
  if (line == nullptr) {
    put_absent(buffer, 12);
    return;
  }
  if (line->OrderReference) {
    field_put_text(buffer, line->OrderReference->OrderID);
    field_put_text(buffer, line->OrderReference->OrderLineID);
  } else {
    put_absent(buffer, 2);
  }
  if (line->DeliveryNoteReference) {
    field_put_text(buffer, line->DeliveryNoteReference->DeliveryNoteID);
    field_put_text(buffer, line->DeliveryNoteReference->DeliveryNoteLineID);
  } else {
    put_absent(buffer, 2);
  }
  field_put_text(buffer, line->ItemName);
  field_put_text(buffer, line->ItemEANCode);
  field_put_date(buffer, line->PeriodFromDate);
  field_put_date(buffer, line->PeriodToDate);
  field_put_decimal(buffer, line->InvoicedQuantity);
  field_put_decimal(buffer, line->UnitPriceTaxExclusiveAmount);
  field_put_decimal(buffer, line->UnitPriceTaxAmount);
  field_put_decimal(buffer, line->ClassifiedTaxCategory);
}

void put_invoice_items(FieldBuffer& buffer, const InvoiceItems& items) {
  field_put_text(buffer, items.InvoiceID);
  field_put_text(buffer, items.FirstInvoiceLineID);
  put_count(buffer, items.InvoiceLines);
  if (items.InvoiceLines) {
    for (const auto& line : *items.InvoiceLines) put_invoice_line(buffer, line.get());
  }
}

}  // namespace

ErrorCode serialise_document(FieldBuffer& buffer, const Document* document) {
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document cannot be NULL.");
  buffer.header = document->header;
  switch (document->header.family()) {
    case FAMILY_PAY:
      put_pay(buffer, static_cast<const Pay&>(*document));
      break;
    case FAMILY_INVOICE:
      put_invoice(buffer, static_cast<const Invoice&>(*document));
      break;
    case FAMILY_INVOICE_ITEMS:
      put_invoice_items(buffer, static_cast<const InvoiceItems&>(*document));
      break;
    default:
      break;
  }
  return ERROR_OK;
}

}  // namespace tolvex
