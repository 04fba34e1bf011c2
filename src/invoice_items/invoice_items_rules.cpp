#include "invoice_items/invoice_items_rules.h"

#include "tolvex/invoice_items.hpp"
#include "validate/field_checks.h"

namespace tolvex {
namespace {

ErrorCode check_invoice_line(const InvoiceLine& line) {
  if (const ErrorCode code = check_choice(
          {{"ItemName", line.ItemName.has_value()}, {"ItemEANCode", line.ItemEANCode.has_value()}})) {
    return code;
  }
  if (const ErrorCode code = check_period(line.PeriodFromDate, line.PeriodToDate)) return code;
  if (const ErrorCode code = check_not_null("InvoicedQuantity", line.InvoicedQuantity)) return code;
  if (const ErrorCode code =
          check_not_null("UnitPriceTaxExclusiveAmount", line.UnitPriceTaxExclusiveAmount)) {
    return code;
  }
  if (const ErrorCode code = check_not_null("UnitPriceTaxAmount", line.UnitPriceTaxAmount)) return code;
  return check_unit_interval("ClassifiedTaxCategory", line.ClassifiedTaxCategory);
}

}  // namespace

ErrorCode invoice_items_validate(const Document* document) {
  if (const ErrorCode code = check_not_null("InvoiceItems", document)) return code;
  const InvoiceItems& items = *static_cast<const InvoiceItems*>(document);
  if (const ErrorCode code = check_not_blank("InvoiceID", items.InvoiceID)) return code;
  if (const ErrorCode code = check_not_blank("FirstInvoiceLineID", items.FirstInvoiceLineID)) return code;
  if (const ErrorCode code = check_list("InvoiceLines", items.InvoiceLines)) return code;
  for (const Record<InvoiceLine>& line : *items.InvoiceLines) {
    if (const ErrorCode code = check_invoice_line(*line)) return code;
  }
  return ERROR_OK;
}

}  // namespace tolvex
