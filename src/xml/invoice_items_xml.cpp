#include "xml/invoice_items_xml.h"

#include <array>
#include <memory>
#include <string_view>

#include "document/invoice_items.h"
#include "xml/xml_read.h"

namespace tolvex {
namespace {

constexpr std::array<std::string_view, 1> kInvoiceItemsTypes = {"InvoiceItems"};

// The line amounts and the unit price with tax are computed and not read.
ErrorCode read_invoice_line(const xmlNode* element, Record<InvoiceLine>& line) {
  line = std::make_unique<InvoiceLine>();
  if (const xmlNode* child = xml_child(element, "OrderReference")) {
    line->OrderReference = std::make_unique<OrderReference>();
    xml_read_text(child, "OrderID", line->OrderReference->OrderID);
    xml_read_text(child, "OrderLineID", line->OrderReference->OrderLineID);
  }
  if (const xmlNode* child = xml_child(element, "DeliveryNoteReference")) {
    line->DeliveryNoteReference = std::make_unique<DeliveryNoteReference>();
    xml_read_text(child, "DeliveryNoteID", line->DeliveryNoteReference->DeliveryNoteID);
    xml_read_text(child, "DeliveryNoteLineID", line->DeliveryNoteReference->DeliveryNoteLineID);
  }
  xml_read_text(element, "ItemName", line->ItemName);
  xml_read_text(element, "ItemEANCode", line->ItemEANCode);
  xml_read_text(element, "PeriodFromDate", line->PeriodFromDate);
  xml_read_text(element, "PeriodToDate", line->PeriodToDate);
  if (const ErrorCode code = xml_read_decimal(element, "InvoicedQuantity", line->InvoicedQuantity))
    return code;
  if (const ErrorCode code =
          xml_read_decimal(element, "UnitPriceTaxExclusiveAmount", line->UnitPriceTaxExclusiveAmount)) {
    return code;
  }
  if (const ErrorCode code = xml_read_decimal(element, "UnitPriceTaxAmount", line->UnitPriceTaxAmount))
    return code;
  return xml_read_decimal(element, "ClassifiedTaxCategory", line->ClassifiedTaxCategory);
}

}  // namespace

ErrorCode xml_read_invoice_items(const xmlNode* root, DocumentPtr<>& document) {
  unsigned type = 0;
  if (const ErrorCode code = xml_read_root_type(root, kInvoiceItemsTypes, type)) return code;
  DocumentPtr<InvoiceItems> items = invoice_items_new();
  xml_read_text(root, "InvoiceID", items->InvoiceID);
  xml_read_text(root, "FirstInvoiceLineID", items->FirstInvoiceLineID);
  if (const ErrorCode code =
          xml_read_list(root, "InvoiceLines", "InvoiceLine", items->InvoiceLines, read_invoice_line)) {
    return code;
  }
  document = std::move(items);
  return ERROR_OK;
}

}  // namespace tolvex
