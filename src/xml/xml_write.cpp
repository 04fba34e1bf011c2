#include "xml/xml_write.h"

#include <libxml/chvalid.h>

#include <span>

#include "codec/field_buffer.h"
#include "document/invoice.h"
#include "document/invoice_items.h"
#include "document/pay.h"
#include "xml/memory_stream.h"

namespace tolvex {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The code point of the UTF-8 sequence at the start of bytes and its length in length, or -1
// unless the sequence is well-formed: shortest form, no surrogate, at most U+10FFFF. libxml2's
// xmlGetUTF8Char is no such check: it takes a stray continuation byte for a lead byte.
int utf8_char(std::span<const unsigned char> bytes, int& length) {
  const unsigned char lead = bytes[0];
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  int count = 0;
  int c = 0;
  unsigned char low = 0x80;  // the range of the second byte, narrower after E0, ED, F0 and F4
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    c = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    c = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return -1;
  }
  if (bytes.size() < static_cast<std::size_t>(count)) return -1;
  for (int k = 1; k < count; ++k) {
    const unsigned char b = bytes[static_cast<std::size_t>(k)];
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return -1;
    c = c << 6 | (b & 0x3F);
  }
  length = count;
  return c;
}

// Element content that stays well-formed whatever bytes a decoded text holds: markup
// characters become references (">" too, so "]]>" cannot appear), a carriage return survives
// as a reference, and bytes that XML cannot carry at all (invalid UTF-8, most control
// characters) become U+FFFD.
std::string xml_escape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    int length = 0;
    const int c = utf8_char(std::span(bytes + i, text.size() - i), length);
    if (c < 0 || !xmlIsCharQ(c)) {
      escaped += kReplacementCharacter;
      ++i;
      continue;
    }
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '\r':
        escaped += "&#13;";
        break;
      default:
        escaped.append(text.substr(i, static_cast<std::size_t>(length)));
    }
    i += static_cast<std::size_t>(length);
  }
  return escaped;
}

// Writes <name>content</name> unless content is empty; content is already XML.
void write_element_raw(MemoryStream& out, std::string_view name, std::string_view content) {
  if (content.empty()) return;
  memory_stream_print(out, "<");
  memory_stream_print(out, name);
  memory_stream_print(out, ">");
  memory_stream_print(out, content);
  memory_stream_print(out, "</");
  memory_stream_print(out, name);
  memory_stream_print(out, ">");
}

class XmlWriter {
 public:
  explicit XmlWriter(MemoryStream& out) : out_(out) {}

  void text(std::string_view name, const Text& field) {
    if (field) write_element_raw(out_, name, xml_escape(*field));
  }

  void integer(std::string_view name, const Integer& field) {
    if (field) write_element_raw(out_, name, std::to_string(*field));
  }

  void decimal(std::string_view name, const Decimal& field) {
    if (field) write_element_raw(out_, name, format_decimal(*field));
  }

  void enumeration(std::string_view name, const Enumeration& field, std::span<const std::string_view> names) {
    if (field && *field >= 0 && static_cast<std::size_t>(*field) < names.size()) {
      write_element_raw(out_, name, names[static_cast<std::size_t>(*field)]);
    }
  }

  void code(std::string_view name, const CodeText& field, std::span<const std::string_view> names,
            std::span<const std::string_view> codes) {
    if (!field) return;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      if (codes[i] == *field) return write_element_raw(out_, name, names[i]);
    }
  }

  void flags(std::string_view name, const FlagSet& field, std::span<const std::string_view> names) {
    if (!field) return;
    std::string content;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if ((static_cast<std::uint32_t>(*field) >> i) & 1u) {
        if (!content.empty()) content += ' ';
        content += names[i];
      }
    }
    write_element_raw(out_, name, content);
  }

  // A record's fields go through a stream of their own, so a record with nothing to say
  // leaves no element behind.
  template <typename T, typename WriteFields>
  void record(std::string_view name, const T* value, WriteFields writeFields) {
    if (value == nullptr) return;
    MemoryStream content;
    XmlWriter inner(content);
    writeFields(inner, *value);
    element(name, content);
  }

  template <typename T, typename WriteFields>
  void list(std::string_view name, std::string_view itemName, const List<T>& value, WriteFields writeFields) {
    if (!value) return;
    MemoryStream content;
    XmlWriter inner(content);
    for (const auto& item : *value) inner.record(itemName, item.get(), writeFields);
    element(name, content);
  }

 private:
  void element(std::string_view name, MemoryStream& content) {
    // A nested stream that lost bytes makes the whole text incomplete.
    if (content.failed()) out_.mark_failed();
    write_element_raw(out_, name, memory_stream_take_text(content));
  }

  MemoryStream& out_;
};

void write_pay(XmlWriter& w, const Pay& pay) {
  w.text("InvoiceID", pay.InvoiceID);
  w.list("Payments", "Payment", pay.Payments, [](XmlWriter& w, const Payment& p) {
    w.flags("PaymentOptions", p.PaymentOptions, PaymentOptionsNames);
    w.decimal("Amount", p.Amount);
    w.text("CurrencyCode", p.CurrencyCode);
    w.text("PaymentDueDate", p.PaymentDueDate);
    w.text("VariableSymbol", p.VariableSymbol);
    w.text("ConstantSymbol", p.ConstantSymbol);
    w.text("SpecificSymbol", p.SpecificSymbol);
    w.text("OriginatorsReferenceInformation", p.OriginatorsReferenceInformation);
    w.text("PaymentNote", p.PaymentNote);
    w.list("BankAccounts", "BankAccount", p.BankAccounts, [](XmlWriter& w, const BankAccount& a) {
      w.text("IBAN", a.IBAN);
      w.text("BIC", a.BIC);
    });
    w.record("StandingOrderExt", p.StandingOrderExt.get(), [](XmlWriter& w, const StandingOrderExt& s) {
      w.integer("Day", s.Day);
      w.flags("Month", s.Month, MonthNames);
      w.code("Periodicity", s.Periodicity, PeriodicityNames, PeriodicityCodes);
      w.text("LastDate", s.LastDate);
    });
    w.record("DirectDebitExt", p.DirectDebitExt.get(), [](XmlWriter& w, const DirectDebitExt& d) {
      w.enumeration("DirectDebitScheme", d.DirectDebitScheme, DirectDebitSchemeNames);
      w.enumeration("DirectDebitType", d.DirectDebitType, DirectDebitTypeNames);
      w.text("VariableSymbol", d.VariableSymbol);
      w.text("SpecificSymbol", d.SpecificSymbol);
      w.text("MandateID", d.MandateID);
      w.text("CreditorID", d.CreditorID);
      w.text("ContractID", d.ContractID);
      w.text("OriginatorsReferenceInformation", d.OriginatorsReferenceInformation);
      w.decimal("MaxAmount", d.MaxAmount);
      w.text("ValidTillDate", d.ValidTillDate);
    });
  });
}

// The names and identifiers that supplier and customer share.
template <typename Party>
void write_party_names(XmlWriter& w, const Party& party) {
  w.text("PartyName", party.PartyName);
  w.text("CompanyTaxID", party.CompanyTaxID);
  w.text("CompanyVATID", party.CompanyVATID);
  w.text("CompanyRegisterID", party.CompanyRegisterID);
}

// The nine amounts that a tax category summary and the monetary summary share, in their order.
template <typename Summary>
void write_tax_amounts(XmlWriter& w, const Summary& t) {
  w.decimal("TaxExclusiveAmount", t.TaxExclusiveAmount);
  w.decimal("TaxInclusiveAmount", t.TaxInclusiveAmount);
  w.decimal("TaxAmount", t.TaxAmount);
  w.decimal("AlreadyClaimedTaxExclusiveAmount", t.AlreadyClaimedTaxExclusiveAmount);
  w.decimal("AlreadyClaimedTaxInclusiveAmount", t.AlreadyClaimedTaxInclusiveAmount);
  w.decimal("AlreadyClaimedTaxAmount", t.AlreadyClaimedTaxAmount);
  w.decimal("DifferenceTaxExclusiveAmount", t.DifferenceTaxExclusiveAmount);
  w.decimal("DifferenceTaxInclusiveAmount", t.DifferenceTaxInclusiveAmount);
  w.decimal("DifferenceTaxAmount", t.DifferenceTaxAmount);
}

void write_invoice(XmlWriter& w, const Invoice& invoice) {
  w.text("InvoiceID", invoice.InvoiceID);
  w.text("IssueDate", invoice.IssueDate);
  w.text("TaxPointDate", invoice.TaxPointDate);
  w.text("OrderID", invoice.OrderID);
  w.text("DeliveryNoteID", invoice.DeliveryNoteID);
  w.text("LocalCurrencyCode", invoice.LocalCurrencyCode);
  w.text("ForeignCurrencyCode", invoice.ForeignCurrencyCode);
  w.decimal("CurrRate", invoice.CurrRate);
  w.decimal("ReferenceCurrRate", invoice.ReferenceCurrRate);
  w.record("SupplierParty", invoice.SupplierParty.get(), [](XmlWriter& w, const SupplierParty& s) {
    write_party_names(w, s);
    w.record("PostalAddress", s.PostalAddress.get(), [](XmlWriter& w, const PostalAddress& a) {
      w.text("StreetName", a.StreetName);
      w.text("BuildingNumber", a.BuildingNumber);
      w.text("CityName", a.CityName);
      w.text("PostalZone", a.PostalZone);
      w.text("State", a.State);
      w.text("Country", a.Country);
    });
    w.record("Contact", s.Contact.get(), [](XmlWriter& w, const Contact& c) {
      w.text("Name", c.Name);
      w.text("Telephone", c.Telephone);
      w.text("EMail", c.EMail);
    });
  });
  w.record("CustomerParty", invoice.CustomerParty.get(), [](XmlWriter& w, const CustomerParty& c) {
    write_party_names(w, c);
    w.text("PartyIdentification", c.PartyIdentification);
  });
  w.integer("NumberOfInvoiceLines", invoice.NumberOfInvoiceLines);
  w.text("InvoiceDescription", invoice.InvoiceDescription);
  w.record("SingleInvoiceLine", invoice.SingleInvoiceLine.get(),
           [](XmlWriter& w, const SingleInvoiceLine& l) {
             w.text("OrderLineID", l.OrderLineID);
             w.text("DeliveryNoteLineID", l.DeliveryNoteLineID);
             w.text("ItemName", l.ItemName);
             w.text("ItemEANCode", l.ItemEANCode);
             w.text("PeriodFromDate", l.PeriodFromDate);
             w.text("PeriodToDate", l.PeriodToDate);
             w.decimal("InvoicedQuantity", l.InvoicedQuantity);
             w.decimal("UnitPriceTaxExclusiveAmount", l.UnitPriceTaxExclusiveAmount);
             w.decimal("UnitPriceTaxInclusiveAmount", l.UnitPriceTaxInclusiveAmount);
             w.decimal("UnitPriceTaxAmount", l.UnitPriceTaxAmount);
           });
  w.list("TaxCategorySummaries", "TaxCategorySummary", invoice.TaxCategorySummaries,
         [](XmlWriter& w, const TaxCategorySummary& t) {
           w.decimal("ClassifiedTaxCategory", t.ClassifiedTaxCategory);
           write_tax_amounts(w, t);
         });
  w.record("MonetarySummary", invoice.MonetarySummary.get(), [](XmlWriter& w, const MonetarySummary& m) {
    write_tax_amounts(w, m);
    w.decimal("PayableRoundingAmount", m.PayableRoundingAmount);
    w.decimal("PaidDepositsAmount", m.PaidDepositsAmount);
    w.decimal("PayableAmount", m.PayableAmount);
  });
  w.flags("PaymentMeans", invoice.PaymentMeans, PaymentMeansNames);
}

void write_invoice_items(XmlWriter& w, const InvoiceItems& items) {
  w.text("InvoiceID", items.InvoiceID);
  w.text("FirstInvoiceLineID", items.FirstInvoiceLineID);
  w.list("InvoiceLines", "InvoiceLine", items.InvoiceLines, [](XmlWriter& w, const InvoiceLine& l) {
    w.record("OrderReference", l.OrderReference.get(), [](XmlWriter& w, const OrderReference& r) {
      w.text("OrderID", r.OrderID);
      w.text("OrderLineID", r.OrderLineID);
    });
    w.record("DeliveryNoteReference", l.DeliveryNoteReference.get(),
             [](XmlWriter& w, const DeliveryNoteReference& r) {
               w.text("DeliveryNoteID", r.DeliveryNoteID);
               w.text("DeliveryNoteLineID", r.DeliveryNoteLineID);
             });
    w.text("ItemName", l.ItemName);
    w.text("ItemEANCode", l.ItemEANCode);
    w.text("PeriodFromDate", l.PeriodFromDate);
    w.text("PeriodToDate", l.PeriodToDate);
    w.decimal("InvoicedQuantity", l.InvoicedQuantity);
    w.decimal("UnitPriceTaxExclusiveAmount", l.UnitPriceTaxExclusiveAmount);
    w.decimal("UnitPriceTaxInclusiveAmount", l.UnitPriceTaxInclusiveAmount);
    w.decimal("UnitPriceTaxAmount", l.UnitPriceTaxAmount);
    w.decimal("LineTaxExclusiveAmount", l.LineTaxExclusiveAmount);
    w.decimal("LineTaxInclusiveAmount", l.LineTaxInclusiveAmount);
    w.decimal("LineTaxAmount", l.LineTaxAmount);
    w.decimal("ClassifiedTaxCategory", l.ClassifiedTaxCategory);
  });
}

struct RootNames {
  std::string_view root;
  std::string_view type;
};

ErrorCode root_names(const DocumentHeader& header, RootNames& names) {
  switch (header.family()) {
    case FAMILY_PAY:
      if (header.documentType() == 0) return names = {"Pay", "Pay"}, ERROR_OK;
      break;
    case FAMILY_INVOICE:
      if (header.documentType() >= InvoiceDocumentTypeNames.size()) {
        return set_error_message(ERROR_XML, "Error wrong invoice document type");
      }
      return names = {"Invoice", InvoiceDocumentTypeNames[header.documentType()]}, ERROR_OK;
    case FAMILY_INVOICE_ITEMS:
      if (header.documentType() == 0) return names = {"InvoiceItems", "InvoiceItems"}, ERROR_OK;
      break;
  }
  return set_error_message(ERROR_XML, "Error in getting root and type");
}

}  // namespace

ErrorCode xml_write_document(const Document* document, std::string* text, std::size_t* length) {
  if (document == nullptr) return set_error_message(ERROR_NULL_POINTER, "Document cannot be null. ");
  RootNames names;
  if (const ErrorCode code = root_names(document->header, names)) return code;
  if (document->header.version() != 0) {
    return set_error_message(ERROR_UNKNOWN_DOCUMENT, "Document version is not supported. ");
  }

  MemoryStream out;
  memory_stream_print(out, R"(<?xml version="1.0" encoding="utf-8"?>)");
  memory_stream_print(out, "<");
  memory_stream_print(out, names.root);
  memory_stream_print(out, R"( xmlns:xsi=")");
  memory_stream_print(out, kXmlSchemaInstanceNamespace);
  memory_stream_print(out, R"(" xsi:type=")");
  memory_stream_print(out, names.type);
  memory_stream_print(out, R"(" xmlns=")");
  memory_stream_print(out, kTolvexNamespace);
  memory_stream_print(out, R"(">)");
  XmlWriter writer(out);
  switch (document->header.family()) {
    case FAMILY_PAY:
      write_pay(writer, static_cast<const Pay&>(*document));
      break;
    case FAMILY_INVOICE:
      write_invoice(writer, static_cast<const Invoice&>(*document));
      break;
    default:
      write_invoice_items(writer, static_cast<const InvoiceItems&>(*document));
      break;
  }
  memory_stream_print(out, "</");
  memory_stream_print(out, names.root);
  memory_stream_print(out, ">");

  if (out.failed()) return set_error_message(ERROR_IO, "Not enough memory. ");
  std::string written = memory_stream_take_text(out);
  if (length != nullptr) *length = written.size();
  if (text != nullptr) *text = std::move(written);
  return ERROR_OK;
}

}  // namespace tolvex
