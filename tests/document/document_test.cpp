#include "document/document.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace tolvex {
namespace {

TEST(DocumentHeader, DocumentTypeKeepsTheReservedBits) {
  DocumentHeader header;
  header.bytes = {0x1A, 0x05};
  header.set_document_type(2);
  EXPECT_EQ(header.bytes[1], 0x25);
  EXPECT_EQ(header.family(), 1u);
  EXPECT_EQ(header.version(), 0xAu);
  EXPECT_EQ(header.document_type(), 2u);
  EXPECT_EQ(header.reserved(), 5u);
}

TEST(Document, NullDocumentIsHarmlessButDoesNotValidate) {
  document_free(nullptr);
  document_derive_amounts(nullptr);
  set_error_message(ERROR_OK, "");
  EXPECT_EQ(document_validate(nullptr), ERROR_NULL_POINTER);
  EXPECT_EQ(error_line(), "ERROR_NULL_POINTER: Document cannot be null.  ");
}

}  // namespace
}  // namespace tolvex
