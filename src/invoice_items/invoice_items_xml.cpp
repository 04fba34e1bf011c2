#include "invoice_items/invoice_items_xml.h"

namespace tolvex {
namespace {

constexpr XmlValue kComputed = XmlValue::computed;

template <typename Xml, typename D>
void invoice_items_tree(Xml& x, D& items) {
  x.text("InvoiceID", items.InvoiceID);
  x.text("FirstInvoiceLineID", items.FirstInvoiceLineID);
  x.list("InvoiceLines", "InvoiceLine", items.InvoiceLines, [](auto& x, auto& l) {
    x.record("OrderReference", l.OrderReference, [](auto& x, auto& r) {
      x.text("OrderID", r.OrderID);
      x.text("OrderLineID", r.OrderLineID);
    });
    x.record("DeliveryNoteReference", l.DeliveryNoteReference, [](auto& x, auto& r) {
      x.text("DeliveryNoteID", r.DeliveryNoteID);
      x.text("DeliveryNoteLineID", r.DeliveryNoteLineID);
    });
    x.text("ItemName", l.ItemName);
    x.text("ItemEANCode", l.ItemEANCode);
    x.text("PeriodFromDate", l.PeriodFromDate);
    x.text("PeriodToDate", l.PeriodToDate);
    x.decimal("InvoicedQuantity", l.InvoicedQuantity);
    x.decimal("UnitPriceTaxExclusiveAmount", l.UnitPriceTaxExclusiveAmount);
    x.decimal("UnitPriceTaxInclusiveAmount", l.UnitPriceTaxInclusiveAmount, kComputed);
    x.decimal("UnitPriceTaxAmount", l.UnitPriceTaxAmount);
    x.decimal("LineTaxExclusiveAmount", l.LineTaxExclusiveAmount, kComputed);
    x.decimal("LineTaxInclusiveAmount", l.LineTaxInclusiveAmount, kComputed);
    x.decimal("LineTaxAmount", l.LineTaxAmount, kComputed);
    x.decimal("ClassifiedTaxCategory", l.ClassifiedTaxCategory);
  });
}

}  // namespace

ErrorCode xml_read_invoice_items(const xmlNode* root, DocumentPtr<>* document) {
  if (const ErrorCode code = xml_read_root_type(root, kInvoiceItemsTypeNames, nullptr)) return code;
  DocumentPtr<InvoiceItems> items = invoice_items_new();
  XmlTreeReader reader(root);
  invoice_items_tree(reader, *items);
  if (const ErrorCode code = reader.result()) return code;
  if (document != nullptr) *document = std::move(items);
  return ERROR_OK;
}

void xml_write_invoice_items(XmlTreeWriter& writer, const InvoiceItems& items) {
  invoice_items_tree(writer, items);
}

void xml_walk_invoice_items(XmlTreeWalker& walker) {
  const DocumentPtr<InvoiceItems> items = invoice_items_new();
  invoice_items_tree(walker, static_cast<const InvoiceItems&>(*items));
}

void xml_find_invoice_items(XmlTreeFinder& finder, const InvoiceItems& items) {
  invoice_items_tree(finder, items);
}

ErrorCode json_read_invoice_items(const JsonValue& object, std::string_view path, DocumentPtr<>* document) {
  if (const ErrorCode code = json_read_root_type(object, path, kInvoiceItemsTypeNames, nullptr)) return code;
  DocumentPtr<InvoiceItems> items = invoice_items_new();
  JsonTreeReader reader(object, std::string(path));
  invoice_items_tree(reader, *items);
  if (const ErrorCode code = reader.result()) return code;
  if (document != nullptr) *document = std::move(items);
  return ERROR_OK;
}

void json_write_invoice_items(JsonTreeWriter& writer, const InvoiceItems& items) { invoice_items_tree(writer, items); }

}  // namespace tolvex
