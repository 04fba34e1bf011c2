#include "codec/decode.h"

#include <algorithm>
#include <vector>

#include "codec/base32hex.h"
#include "codec/checksum.h"
#include "codec/compression.h"
#include "document/invoice.h"
#include "document/invoice_items.h"
#include "document/pay.h"
#include "xml/xml_write.h"

namespace tolvex {
namespace {

// A list count as written, cut to the fields that remain: every item takes at least one field,
// so a damaged or hostile count cannot make more records than the text could describe.
std::uint32_t take_count(FieldBuffer& buffer) {
  const std::int32_t count = field_take_integer(buffer);
  if (count <= 0) return 0;
  const auto remaining = static_cast<std::uint32_t>(
      buffer.fields.size() - std::min<std::size_t>(buffer.cursor, buffer.fields.size()));
  return std::min(static_cast<std::uint32_t>(count), remaining);
}

template <typename T, typename ReadItem>
void take_list(FieldBuffer& buffer, List<T>& list, ReadItem readItem) {
  auto& items = list.emplace();
  for (std::uint32_t n = take_count(buffer); n > 0; --n) {
    auto item = std::make_unique<T>();
    readItem(*item);
    items.append(std::move(item));
  }
}

void take_pay(FieldBuffer& b, Pay& pay) {
  pay.InvoiceID = field_take_text(b);
  take_list(b, pay.Payments, [&b](Payment& p) {
    p.PaymentOptions = field_take_optional_integer(b);
    p.Amount = field_take_decimal(b);
    p.CurrencyCode = field_take_text(b);
    p.PaymentDueDate = field_take_date(b);
    p.VariableSymbol = field_take_text(b);
    p.ConstantSymbol = field_take_text(b);
    p.SpecificSymbol = field_take_text(b);
    p.OriginatorsReferenceInformation = field_take_text(b);
    p.PaymentNote = field_take_text(b);
    take_list(b, p.BankAccounts, [&b](BankAccount& a) {
      a.IBAN = field_take_text(b);
      a.BIC = field_take_text(b);
    });
    if (field_take_integer(b) != 0) {
      auto& s = *(p.StandingOrderExt = std::make_unique<StandingOrderExt>());
      s.Day = field_take_optional_integer(b);
      s.Month = field_take_optional_integer(b);
      s.Periodicity = field_take_text(b);
      s.LastDate = field_take_date(b);
    }
    if (field_take_integer(b) != 0) {
      auto& d = *(p.DirectDebitExt = std::make_unique<DirectDebitExt>());
      d.DirectDebitScheme = field_take_optional_integer(b);
      d.DirectDebitType = field_take_optional_integer(b);
      d.VariableSymbol = field_take_text(b);
      d.SpecificSymbol = field_take_text(b);
      d.OriginatorsReferenceInformation = field_take_text(b);
      d.MandateID = field_take_text(b);
      d.CreditorID = field_take_text(b);
      d.ContractID = field_take_text(b);
      d.MaxAmount = field_take_decimal(b);
      d.ValidTillDate = field_take_date(b);
    }
  });
}

// The names and identifiers that supplier and customer share.
template <typename Party>
void take_party_names(FieldBuffer& b, Party& party) {
  party.PartyName = field_take_text(b);
  party.CompanyTaxID = field_take_text(b);
  party.CompanyVATID = field_take_text(b);
  party.CompanyRegisterID = field_take_text(b);
}

void take_invoice(FieldBuffer& b, Invoice& invoice) {
  invoice.InvoiceID = field_take_text(b);
  invoice.IssueDate = field_take_date(b);
  invoice.TaxPointDate = field_take_date(b);
  invoice.OrderID = field_take_text(b);
  invoice.DeliveryNoteID = field_take_text(b);
  invoice.LocalCurrencyCode = field_take_text(b);
  invoice.ForeignCurrencyCode = field_take_text(b);
  invoice.CurrRate = field_take_decimal(b);
  invoice.ReferenceCurrRate = field_take_decimal(b);

  auto& supplier = *(invoice.SupplierParty = std::make_unique<SupplierParty>());
  take_party_names(b, supplier);
  auto& address = *(supplier.PostalAddress = std::make_unique<PostalAddress>());
  address.StreetName = field_take_text(b);
  address.BuildingNumber = field_take_text(b);
  address.CityName = field_take_text(b);
  address.PostalZone = field_take_text(b);
  address.State = field_take_text(b);
  address.Country = field_take_text(b);
  auto& contact = *(supplier.Contact = std::make_unique<Contact>());
  contact.Name = field_take_text(b);
  contact.Telephone = field_take_text(b);
  contact.EMail = field_take_text(b);

  auto& customer = *(invoice.CustomerParty = std::make_unique<CustomerParty>());
  take_party_names(b, customer);
  customer.PartyIdentification = field_take_text(b);

  invoice.NumberOfInvoiceLines = field_take_optional_integer(b);
  invoice.InvoiceDescription = field_take_text(b);

  auto line = std::make_unique<SingleInvoiceLine>();
  line->OrderLineID = field_take_text(b);
  line->DeliveryNoteLineID = field_take_text(b);
  line->ItemName = field_take_text(b);
  line->ItemEANCode = field_take_text(b);
  line->PeriodFromDate = field_take_date(b);
  line->PeriodToDate = field_take_date(b);
  line->InvoicedQuantity = field_take_decimal(b);
  // Seven empty fields stand for a document without a single invoice line.
  const bool lineGiven = line->OrderLineID || line->DeliveryNoteLineID || line->ItemName ||
                         line->ItemEANCode || line->PeriodFromDate || line->PeriodToDate ||
                         line->InvoicedQuantity;
  if (lineGiven) invoice.SingleInvoiceLine = std::move(line);

  take_list(b, invoice.TaxCategorySummaries, [&b](TaxCategorySummary& t) {
    t.ClassifiedTaxCategory = field_take_decimal(b);
    t.TaxExclusiveAmount = field_take_decimal(b);
    t.TaxAmount = field_take_decimal(b);
    t.AlreadyClaimedTaxExclusiveAmount = field_take_decimal(b);
    t.AlreadyClaimedTaxAmount = field_take_decimal(b);
  });

  auto& summary = *(invoice.MonetarySummary = std::make_unique<MonetarySummary>());
  summary.PayableRoundingAmount = field_take_decimal(b);
  summary.PaidDepositsAmount = field_take_decimal(b);
  invoice.PaymentMeans = field_take_optional_integer(b);
}

void take_invoice_items(FieldBuffer& b, InvoiceItems& items) {
  items.InvoiceID = field_take_text(b);
  items.FirstInvoiceLineID = field_take_text(b);
  take_list(b, items.InvoiceLines, [&b](InvoiceLine& l) {
    auto& order = *(l.OrderReference = std::make_unique<OrderReference>());
    order.OrderID = field_take_text(b);
    order.OrderLineID = field_take_text(b);
    auto& delivery = *(l.DeliveryNoteReference = std::make_unique<DeliveryNoteReference>());
    delivery.DeliveryNoteID = field_take_text(b);
    delivery.DeliveryNoteLineID = field_take_text(b);
    l.ItemName = field_take_text(b);
    l.ItemEANCode = field_take_text(b);
    l.PeriodFromDate = field_take_date(b);
    l.PeriodToDate = field_take_date(b);
    l.InvoicedQuantity = field_take_decimal(b);
    l.UnitPriceTaxExclusiveAmount = field_take_decimal(b);
    l.UnitPriceTaxAmount = field_take_decimal(b);
    l.ClassifiedTaxCategory = field_take_decimal(b);
  });
}

template <typename Family>
DocumentPtr<> rebuild(DocumentPtr<Family> document, FieldBuffer& buffer,
                      void (*take)(FieldBuffer&, Family&)) {
  // The header arrives as transmitted: version, document type and reserved bits included.
  document->header = buffer.header;
  take(buffer, *document);
  return document;
}

}  // namespace

ErrorCode deserialise_document(FieldBuffer& buffer, DocumentPtr<>* document) {
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document pointer cannot be NULL. ");
  switch (buffer.header.family()) {
    case FAMILY_PAY:
      *document = rebuild(pay_new(), buffer, take_pay);
      break;
    case FAMILY_INVOICE:
      *document = rebuild(invoice_new(), buffer, take_invoice);
      break;
    case FAMILY_INVOICE_ITEMS:
      *document = rebuild(invoice_items_new(), buffer, take_invoice_items);
      break;
    default:
      return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Unknown document family. ");
  }
  return ERROR_OK;
}

ErrorCode decode_document(const char* text, std::size_t length, DocumentPtr<>* document) {
  if (length < 4) return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Header not found. ");
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document pointer cannot be NULL. ");

  std::vector<std::uint8_t> container;
  if (const ErrorCode code = base32hex_decode(text, length, &container)) return code;
  // Padding characters alone decode to nothing, which holds no header either.
  if (container.size() < 2) return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Header not found. ");

  std::vector<std::uint8_t> payload;
  if (const ErrorCode code = decompress_payload(container.data() + 2, container.size() - 2, &payload)) {
    return code;
  }
  if (payload.size() < 4) return set_error_message(ERROR_CHECKSUM, "Checksum not found. ");
  const std::uint32_t stored =
      payload[0] | payload[1] << 8 | payload[2] << 16 | std::uint32_t{payload[3]} << 24;
  if (stored != crc32(payload.data() + 4, payload.size() - 4)) {
    return set_error_message(ERROR_CHECKSUM, "Checksum mismatch. ");
  }

  FieldBuffer buffer;
  buffer.header.bytes = {container[0], container[1]};
  field_buffer_split(buffer,
                     std::string_view(reinterpret_cast<const char*>(payload.data()) + 4, payload.size() - 4));

  DocumentPtr<> decoded;
  if (const ErrorCode code = deserialise_document(buffer, &decoded)) return code;
  if (const ErrorCode code = document_validate(decoded.get())) return code;
  document_derive_amounts(decoded.get());
  *document = std::move(decoded);
  return ERROR_OK;
}

ErrorCode decode_to_xml(const char* text, std::size_t length, std::string* xml, std::size_t* xmlLength) {
  if (xml == nullptr) return set_error_message(ERROR_NULL_POINTER, "XML pointer cannot be NULL. ");
  DocumentPtr<> document;
  if (const ErrorCode code = decode_document(text, length, &document)) return code;
  return xml_write_document(document.get(), xml, xmlLength);
}

}  // namespace tolvex
