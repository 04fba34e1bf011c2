#include "invoice_items/invoice_items_rules.h"

#include "tolvex/invoice_items.hpp"
#include "validate/field_checks.h"

namespace tolvex {
namespace {

void check_invoice_line(const InvoiceLine& line, RuleRun& run) {
  if (run.stops(check_choice({{"ItemName", line.ItemName.has_value()},
                              {"ItemEANCode", line.ItemEANCode.has_value()}}))) {
    return;
  }
  if (run.stops(check_period(line.PeriodFromDate, line.PeriodToDate))) return;
  if (run.stops(check_not_null("InvoicedQuantity", line.InvoicedQuantity))) return;
  if (run.stops(check_not_null("UnitPriceTaxExclusiveAmount", line.UnitPriceTaxExclusiveAmount))) return;
  if (run.stops(check_not_null("UnitPriceTaxAmount", line.UnitPriceTaxAmount))) return;
  run.record(check_unit_interval("ClassifiedTaxCategory", line.ClassifiedTaxCategory));
}

}  // namespace

void invoice_items_rules(const Document* document, RuleRun& run) {
  if (run.fails(check_not_null("InvoiceItems", document))) return;
  const InvoiceItems& items = *static_cast<const InvoiceItems*>(document);
  if (run.stops(check_not_blank("InvoiceID", items.InvoiceID))) return;
  if (run.stops(check_not_blank("FirstInvoiceLineID", items.FirstInvoiceLineID))) return;
  if (run.fails(check_list("InvoiceLines", items.InvoiceLines))) return;
  std::size_t index = 0;
  for (const Record<InvoiceLine>& line : *items.InvoiceLines) {
    const RuleRun::Scope scope(run, "InvoiceLines", index++);
    check_invoice_line(*line, run);
    if (run.stopped()) return;
  }
}

ErrorCode invoice_items_validate(const Document* document) {
  RuleRun run;
  invoice_items_rules(document, run);
  return run.result();
}

}  // namespace tolvex
