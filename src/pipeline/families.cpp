#include "pipeline/families.h"

#include <array>

#include "invoice/invoice_rules.h"
#include "invoice/invoice_wire.h"
#include "invoice/invoice_xml.h"
#include "invoice_items/invoice_items_rules.h"
#include "invoice_items/invoice_items_wire.h"
#include "invoice_items/invoice_items_xml.h"
#include "pay/pay_rules.h"
#include "pay/pay_wire.h"
#include "pay/pay_xml.h"

namespace tolvex {
namespace {

// Adapts a family's own operations to the common document record.
template <typename Family, typename Archive, void (*Visit)(Archive&, const Family&)>
void visit_xml(Archive& archive, const Document& document) {
  Visit(archive, static_cast<const Family&>(document));
}

template <typename Family, void (*Serialise)(FieldBuffer&, const Family&)>
void serialise(FieldBuffer& buffer, const Document& document) {
  Serialise(buffer, static_cast<const Family&>(document));
}

template <typename Family, DocumentPtr<Family> (*Deserialise)(FieldBuffer&)>
DocumentPtr<> deserialise(FieldBuffer& buffer) {
  return Deserialise(buffer);
}

// In the order the root names are tried; indexed by family.
const std::array<FamilyFormat, 3> kFormats = {{
    {kFamilyPay, kPayRoot, kPayTypeNames, messages::kErrorInGettingRootAndType, xml_read_pay,
     visit_xml<Pay, XmlTreeWriter, xml_write_pay>, visit_xml<Pay, XmlTreeFinder, xml_find_pay>, json_read_pay,
     visit_xml<Pay, JsonTreeWriter, json_write_pay>,
     serialise<Pay, serialise_pay>, deserialise<Pay, deserialise_pay>, xml_walk_pay, pay_rules},
    {kFamilyInvoice, kInvoiceRoot, kInvoiceDocumentTypeNames, messages::kErrorWrongInvoiceDocumentType,
     xml_read_invoice, visit_xml<Invoice, XmlTreeWriter, xml_write_invoice>,
     visit_xml<Invoice, XmlTreeFinder, xml_find_invoice>, json_read_invoice,
     visit_xml<Invoice, JsonTreeWriter, json_write_invoice>, serialise<Invoice, serialise_invoice>,
     deserialise<Invoice, deserialise_invoice>, xml_walk_invoice, invoice_rules},
    {kFamilyInvoiceItems, kInvoiceItemsRoot, kInvoiceItemsTypeNames, messages::kErrorInGettingRootAndType,
     xml_read_invoice_items, visit_xml<InvoiceItems, XmlTreeWriter, xml_write_invoice_items>,
     visit_xml<InvoiceItems, XmlTreeFinder, xml_find_invoice_items>, json_read_invoice_items,
     visit_xml<InvoiceItems, JsonTreeWriter, json_write_invoice_items>,
     serialise<InvoiceItems, serialise_invoice_items>, deserialise<InvoiceItems, deserialise_invoice_items>, xml_walk_invoice_items, invoice_items_rules},
}};

}  // namespace

const FamilyFormat* family_format(const DocumentHeader& header) {
  return header.family() < kFormats.size() ? &kFormats[header.family()] : nullptr;
}

const FamilyFormat* family_format_of_root(const xmlNode* root) {
  for (const FamilyFormat& format : kFormats) {
    if (xml_is_element(root, format.root)) return &format;
  }
  return nullptr;
}

const FamilyFormat* family_format_of_root_name(std::string_view root) {
  for (const FamilyFormat& format : kFormats) {
    if (format.root == root) return &format;
  }
  return nullptr;
}

}  // namespace tolvex
