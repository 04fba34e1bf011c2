// The document object shared by the three families: the two header bytes, the operation
// slots through which behaviour varies by family, and the dispatch over them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "tolvex/error.hpp"

namespace tolvex {

inline constexpr unsigned kFamilyPay = 0;
inline constexpr unsigned kFamilyInvoice = 1;
inline constexpr unsigned kFamilyInvoiceItems = 2;

// Two bytes, also the first two bytes of every encoded container, so the layout is a wire
// format: byte 0 holds family (bits 7..4) and version (3..0), byte 1 documentType (7..4)
// and reserved (3..0).
struct DocumentHeader {
  std::array<std::uint8_t, 2> bytes{};

  constexpr unsigned family() const { return bytes[0] >> 4; }
  constexpr unsigned version() const { return bytes[0] & 0x0Fu; }
  constexpr unsigned document_type() const { return bytes[1] >> 4; }
  constexpr unsigned reserved() const { return bytes[1] & 0x0Fu; }

  constexpr void set_family(unsigned family) {
    bytes[0] = static_cast<std::uint8_t>(((family & 0x0Fu) << 4) | (bytes[0] & 0x0Fu));
  }
  constexpr void set_document_type(unsigned type) {
    bytes[1] = static_cast<std::uint8_t>(((type & 0x0Fu) << 4) | (bytes[1] & 0x0Fu));
  }
};

// The common start of every document. The family's fields follow in the derived record;
// the slots are set by the family's creation operation.
struct Document {
  DocumentHeader header;
  void (*free)(Document* document) = nullptr;
  void (*deriveAmounts)(Document* document) = nullptr;  // absent for PAY
  ErrorCode (*validate)(const Document* document) = nullptr;
};

// Calls the free slot; a null document is ignored.
void document_free(Document* document);

// Calls the deriveAmounts slot when there is one.
void document_derive_amounts(Document* document);

// Calls the validate slot; a null document or a missing slot is ERROR_NULL_POINTER,
// "Document cannot be null. ".
[[nodiscard]] ErrorCode document_validate(const Document* document);

struct DocumentDeleter {
  void operator()(Document* document) const { document_free(document); }
};

// Owns a document and frees it through its own free slot.
template <typename T = Document>
using DocumentPtr = std::unique_ptr<T, DocumentDeleter>;

}  // namespace tolvex
