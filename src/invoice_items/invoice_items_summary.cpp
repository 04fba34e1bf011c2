#include "invoice_items/invoice_items_summary.h"

#include <cstdint>
#include <string_view>

#include "invoice_items/invoice_items_xml.h"
#include "readable/readable.h"
#include "readable/summary_text.h"

namespace tolvex {
namespace {

// The labels, in the order the lines are written. A new field gets its label here and its line
// at the same place in line_block (or in the first block).
constexpr std::string_view kInvoice = "Invoice";
constexpr std::string_view kFirstLine = "First line";
// InvoiceLine, under "Line n"
constexpr std::string_view kLineTitle = "Line ";
constexpr std::string_view kItem = "Item";
constexpr std::string_view kEanCode = "EAN code";
constexpr std::string_view kOrder = "Order";
constexpr std::string_view kDeliveryNote = "Delivery note";
constexpr std::string_view kPeriod = "Period";
constexpr std::string_view kQuantity = "Quantity";
constexpr std::string_view kUnitPrice = "Unit price";
constexpr std::string_view kUnitTax = "Unit tax";
constexpr std::string_view kTaxRate = "Tax rate";
constexpr std::string_view kNetAmount = "Net amount";
constexpr std::string_view kTaxAmount = "Tax amount";
constexpr std::string_view kGrossAmount = "Gross amount";

// The number of the first line when its identifier is one ("0007" is 7); lines are numbered on
// from it. Otherwise the lines are numbered from 1 within the document.
std::uint64_t first_number(const Text& id) {
  if (!id || id->empty() || id->size() > 9) return 1;
  std::uint64_t number = 0;
  for (const char c : *id) {
    if (c < '0' || c > '9') return 1;
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return number;
}

// "OBJ-2026-031, line 1".
std::string reference_of(const Text& document, const Text& line) {
  std::string text = document.value_or(std::string());
  if (line) text += (text.empty() ? "line " : ", line ") + *line;
  return text;
}

void line_block(SummaryText& out, const InvoiceLine& line, std::uint64_t number) {
  const auto amount = [&](std::string_view label, const Decimal& value) {
    if (value) out.line(label, format_amount(*value));
  };
  out.title(std::string(kLineTitle) + std::to_string(number));
  out.optional_line(kItem, line.ItemName);
  out.optional_line(kEanCode, line.ItemEANCode);
  // A decoded line holds both reference records, empty when the line refers to nothing.
  if (const OrderReference* order = line.OrderReference.get();
      order && (order->OrderID || order->OrderLineID)) {
    out.line(kOrder, reference_of(order->OrderID, order->OrderLineID));
  }
  if (const DeliveryNoteReference* note = line.DeliveryNoteReference.get();
      note && (note->DeliveryNoteID || note->DeliveryNoteLineID)) {
    out.line(kDeliveryNote, reference_of(note->DeliveryNoteID, note->DeliveryNoteLineID));
  }
  if (line.PeriodFromDate || line.PeriodToDate)
    out.line(kPeriod, period_of(line.PeriodFromDate, line.PeriodToDate));
  if (line.InvoicedQuantity) out.line(kQuantity, format_number(*line.InvoicedQuantity));
  amount(kUnitPrice, line.UnitPriceTaxExclusiveAmount);
  amount(kUnitTax, line.UnitPriceTaxAmount);
  if (line.ClassifiedTaxCategory) out.line(kTaxRate, format_percent(*line.ClassifiedTaxCategory));
  amount(kNetAmount, line.LineTaxExclusiveAmount);
  amount(kTaxAmount, line.LineTaxAmount);
  amount(kGrossAmount, line.LineTaxInclusiveAmount);
}

}  // namespace

std::string invoice_items_summary(const InvoiceItems& items) {
  SummaryText out;
  const unsigned type = items.header.document_type();
  out.title(type < kInvoiceItemsTypeNames.size()
                ? words_of(kInvoiceItemsTypeNames[type])
                : words_of(kInvoiceItemsTypeNames[0]) + " type " + std::to_string(type));
  out.optional_line(kInvoice, items.InvoiceID);
  out.optional_line(kFirstLine, items.FirstInvoiceLineID);
  if (items.InvoiceLines) {
    std::uint64_t number = first_number(items.FirstInvoiceLineID);
    for (const Record<InvoiceLine>& line : *items.InvoiceLines) {
      // A missing line keeps its number, so the others keep theirs.
      if (line) line_block(out, *line, number);
      ++number;
    }
  }
  return out.text();
}

}  // namespace tolvex
