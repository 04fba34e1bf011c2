#include "tolvex/summary.hpp"

#include <array>

#include "base/guard.h"
#include "base/messages.h"
#include "invoice/invoice_summary.h"
#include "invoice_items/invoice_items_summary.h"
#include "pay/pay_summary.h"

namespace tolvex {
namespace {

template <typename Family, std::string (*Summarise)(const Family&)>
std::string summarise(const Document& document) {
  return Summarise(static_cast<const Family&>(document));
}

// Indexed by family.
constexpr std::array<std::string (*)(const Document&), 3> kSummaries = {
    summarise<Pay, pay_summary>, summarise<Invoice, invoice_summary>,
    summarise<InvoiceItems, invoice_items_summary>};

}  // namespace

Result<std::string> summary(const Document& document) {
  return guarded_result<std::string>([&](std::string& text) {
    const unsigned family = document.header.family();
    if (family >= kSummaries.size()) return report(messages::kUnknownDocumentFamily);
    // The fields of another version are not known, so what they say cannot be told.
    if (document.header.version() != 0) return report(messages::kDocumentVersionNotSupported);
    text = kSummaries[family](document);
    return ERROR_OK;
  });
}

}  // namespace tolvex
