// The C interface of documents, texts and the last failure.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "base/version.h"
#include "capi/c_boundary.h"
#include "codec/base32hex.h"
#include "tolvex/check.hpp"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/summary.hpp"
#include "tolvex/tolvex.h"
#include "tolvex/xml.hpp"

// A document handed to C. The mark tells a live handle from other pointers the caller may pass
// by mistake (a scanned code array, a freed handle whose memory is not yet reused).
struct tolvex_document {
  static constexpr std::uint32_t kLive = 0x746c7664;  // "tlvd"
  std::uint32_t mark = kLive;
  tolvex::DocumentPtr<> document;
};

namespace {

using tolvex::ErrorCode;
using tolvex::capi::guarded;
using tolvex::capi::hand_out_text;
using tolvex::capi::require;

ErrorCode check_document(const tolvex_document* handle) {
  if (const ErrorCode code = require(handle, tolvex::messages::kDocumentCannotBeNull)) return code;
  if (handle->mark != tolvex_document::kLive || handle->document == nullptr)
    return tolvex::report(tolvex::messages::kNotADocumentOfThisLibrary);
  return tolvex::ERROR_OK;
}

ErrorCode hand_out_document(tolvex::DocumentPtr<> document, tolvex_document** out) {
  auto handle = std::make_unique<tolvex_document>();
  handle->document = std::move(document);
  *out = handle.release();
  return tolvex::ERROR_OK;
}

void unpack(const tolvex::DocumentHeader& from, tolvex_header* header) {
  header->family = static_cast<int32_t>(from.family());
  header->version = static_cast<int32_t>(from.version());
  header->document_type = static_cast<int32_t>(from.document_type());
}

// A copy of one text of the last failure; NULL only without memory.
char* last_error_text(std::string_view text) {
  char* copy = nullptr;
  return hand_out_text(text, &copy, nullptr) == tolvex::ERROR_OK ? copy : nullptr;
}

// The kinds are numbered alike on both sides of the boundary.
static_assert(static_cast<int>(tolvex::XmlFieldValue::Kind::text) == TOLVEX_FIELD_TEXT);
static_assert(static_cast<int>(tolvex::XmlFieldValue::Kind::flags) == TOLVEX_FIELD_FLAGS);
static_assert(static_cast<int>(tolvex::XmlFieldValue::Kind::list) == TOLVEX_FIELD_LIST);

}  // namespace

extern "C" {

const char* tolvex_version(void) { return tolvex::kVersion.data(); }

int tolvex_last_error_code(void) { return tolvex::last_error().code; }

char* tolvex_last_error_message(void) { return last_error_text(tolvex::last_error().message); }

char* tolvex_last_error_detail(void) { return last_error_text(tolvex::last_error().detail); }

char* tolvex_error_line(void) {
  char* line = nullptr;
  (void)guarded([&] {
    const std::string text = tolvex::error_line();
    char* copy = nullptr;
    if (hand_out_text(text, &copy, nullptr) == tolvex::ERROR_OK) line = copy;
    return tolvex::ERROR_OK;
  });
  return line;
}

void tolvex_free(void* pointer) { std::free(pointer); }

int tolvex_read_header(const char* text, size_t text_length, tolvex_header* header) {
  return guarded([&] {
    if (const ErrorCode code = require(header, tolvex::messages::kHeaderCannotBeNull)) return code;
    tolvex::DocumentHeader read;
    if (const ErrorCode code = tolvex::read_header(text, text_length, &read)) return code;
    unpack(read, header);
    return tolvex::ERROR_OK;
  });
}

int tolvex_encode_xml(const char* xml, size_t xml_length, char** text, size_t* text_length) {
  return guarded([&] {
    if (const ErrorCode code = require(text, tolvex::messages::kBase32hexCannotBeNull)) return code;
    std::string encoded;
    if (const ErrorCode code = tolvex::encode_xml(xml, xml_length, &encoded)) return code;
    return hand_out_text(encoded, text, text_length);
  });
}

int tolvex_decode_to_xml(const char* text, size_t text_length, char** xml, size_t* xml_length) {
  return guarded([&] {
    if (const ErrorCode code = require(xml, tolvex::messages::kXmlPointerCannotBeNull)) return code;
    std::string decoded;
    if (const ErrorCode code = tolvex::decode_to_xml(text, text_length, &decoded, nullptr)) return code;
    return hand_out_text(decoded, xml, xml_length);
  });
}

int tolvex_encode_json(const char* json, size_t json_length, char** text, size_t* text_length) {
  return guarded([&] {
    if (const ErrorCode code = require(json, tolvex::messages::kJsonCannotBeNull)) return code;
    if (const ErrorCode code = require(text, tolvex::messages::kBase32hexCannotBeNull)) return code;
    const tolvex::Result<std::string> encoded = tolvex::encode_json(std::string_view(json, json_length));
    // The failure is recorded already; its code is what C sees.
    if (!encoded) return static_cast<ErrorCode>(encoded.error().code);
    return hand_out_text(*encoded, text, text_length);
  });
}

int tolvex_decode_to_json(const char* text, size_t text_length, char** json, size_t* json_length) {
  return guarded([&] {
    if (const ErrorCode code = require(json, tolvex::messages::kJsonPointerCannotBeNull)) return code;
    // Decoded as tolvex_decode_to_xml decodes, a NULL text included.
    tolvex::DocumentPtr<> document;
    if (const ErrorCode code = tolvex::decode_document(text, text_length, &document)) return code;
    const tolvex::Result<std::string> written = tolvex::to_json(*document);
    if (!written) return static_cast<ErrorCode>(written.error().code);
    return hand_out_text(*written, json, json_length);
  });
}

int tolvex_decode_document(const char* text, size_t text_length, tolvex_document** document) {
  return guarded([&] {
    if (const ErrorCode code = require(document, tolvex::messages::kDocumentPointerCannotBeNull)) return code;
    tolvex::DocumentPtr<> decoded;
    if (const ErrorCode code = tolvex::decode_document(text, text_length, &decoded)) return code;
    return hand_out_document(std::move(decoded), document);
  });
}

int tolvex_xml_read_document(const char* xml, size_t xml_length, tolvex_document** document) {
  return guarded([&] {
    if (const ErrorCode code = require(document, tolvex::messages::kDocumentPointerCannotBeNull)) return code;
    tolvex::DocumentPtr<> read;
    if (const ErrorCode code = tolvex::xml_read_document(xml, xml_length, &read)) return code;
    // A root that names no family: reported as encoding the XML reports it.
    if (read == nullptr) return tolvex::document_validate(nullptr);
    return hand_out_document(std::move(read), document);
  });
}

int tolvex_encode_xml_keep_document(const char* xml, size_t xml_length, char** text, size_t* text_length,
                                    tolvex_document** document) {
  return guarded([&] {
    if (const ErrorCode code = require(text, tolvex::messages::kBase32hexCannotBeNull)) return code;
    if (const ErrorCode code = require(document, tolvex::messages::kDocumentPointerCannotBeNull)) return code;
    std::string encoded;
    tolvex::DocumentPtr<> kept;
    if (const ErrorCode code = tolvex::encode_xml_keep_document(xml, xml_length, &encoded, &kept, false))
      return code;
    // Both outputs or neither: the text is handed out last, once the handle exists.
    tolvex_document* handle = nullptr;
    if (const ErrorCode code = hand_out_document(std::move(kept), &handle)) return code;
    if (const ErrorCode code = hand_out_text(encoded, text, text_length)) {
      tolvex_document_free(handle);
      return code;
    }
    *document = handle;
    return tolvex::ERROR_OK;
  });
}

int tolvex_encode_document(const tolvex_document* document, char** text, size_t* text_length) {
  return guarded([&] {
    if (const ErrorCode code = check_document(document)) return code;
    if (const ErrorCode code = require(text, tolvex::messages::kBase32hexCannotBeNull)) return code;
    std::string encoded;
    if (const ErrorCode code = tolvex::encode_document(document->document.get(), &encoded)) return code;
    return hand_out_text(encoded, text, text_length);
  });
}

int tolvex_xml_write_document(const tolvex_document* document, char** xml, size_t* xml_length) {
  return guarded([&] {
    if (const ErrorCode code = check_document(document)) return code;
    if (const ErrorCode code = require(xml, tolvex::messages::kXmlPointerCannotBeNull)) return code;
    std::string written;
    if (const ErrorCode code = tolvex::xml_write_document(document->document.get(), &written, nullptr))
      return code;
    return hand_out_text(written, xml, xml_length);
  });
}

int tolvex_document_header(const tolvex_document* document, tolvex_header* header) {
  return guarded([&] {
    if (const ErrorCode code = check_document(document)) return code;
    if (const ErrorCode code = require(header, tolvex::messages::kHeaderCannotBeNull)) return code;
    unpack(document->document->header, header);
    return tolvex::ERROR_OK;
  });
}

int tolvex_document_field(const tolvex_document* document, const char* path, tolvex_field* field) {
  return guarded([&] {
    if (const ErrorCode code = check_document(document)) return code;
    if (const ErrorCode code = require(path, tolvex::messages::kPathCannotBeNull)) return code;
    if (const ErrorCode code = require(field, tolvex::messages::kFieldCannotBeNull)) return code;
    tolvex::XmlFieldValue value;
    if (const ErrorCode code = tolvex::document_field(document->document.get(), path, &value)) return code;
    using Kind = tolvex::XmlFieldValue::Kind;
    tolvex_field out{};
    out.kind = static_cast<int32_t>(value.kind);
    out.present = value.present ? 1 : 0;
    out.has_number = value.number.has_value() ? 1 : 0;
    out.number = value.number.value_or(0.0);
    out.count = value.count;
    if (value.present && value.kind != Kind::record && value.kind != Kind::list) {
      if (const ErrorCode code = hand_out_text(value.text, &out.text, &out.text_length)) return code;
    }
    *field = out;
    return tolvex::ERROR_OK;
  });
}

void tolvex_field_clear(tolvex_field* field) {
  if (field == nullptr) return;
  std::free(field->text);
  *field = tolvex_field{};
}

int tolvex_document_value(const tolvex_document* document, const char* path, char** text) {
  return guarded([&] {
    if (const ErrorCode code = require(text, tolvex::messages::kTextPointerCannotBeNull)) return code;
    tolvex_field field{};
    if (const ErrorCode code = tolvex_document_field(document, path, &field)) return code;
    *text = field.text;
    return tolvex::ERROR_OK;
  });
}

int tolvex_document_summary(const tolvex_document* document, char** text, size_t* text_length) {
  return guarded([&] {
    if (const ErrorCode code = check_document(document)) return code;
    if (const ErrorCode code = require(text, tolvex::messages::kTextPointerCannotBeNull)) return code;
    // A failure is already the thread's last error; its code is the Result's.
    tolvex::Result<std::string> summary = tolvex::summary(*document->document);
    if (!summary) return static_cast<ErrorCode>(summary.error().code);
    return hand_out_text(*summary, text, text_length);
  });
}

int tolvex_document_json(const tolvex_document* document, char** json, size_t* json_length) {
  return guarded([&] {
    if (const ErrorCode code = check_document(document)) return code;
    if (const ErrorCode code = require(json, tolvex::messages::kTextPointerCannotBeNull)) return code;
    tolvex::Result<std::string> written = tolvex::to_json(*document->document);
    if (!written) return static_cast<ErrorCode>(written.error().code);
    return hand_out_text(*written, json, json_length);
  });
}

int tolvex_check(const char* document, size_t length, char** report_json, size_t* report_length) {
  return guarded([&] {
    if (const ErrorCode code = require(document, tolvex::messages::kInputCannotBeNull)) return code;
    if (const ErrorCode code = require(report_json, tolvex::messages::kTextPointerCannotBeNull)) return code;
    tolvex::Result<std::vector<tolvex::Finding>> found = tolvex::check(std::string_view(document, length));
    if (!found) return static_cast<ErrorCode>(found.error().code);
    return hand_out_text(tolvex::check_report_json(*found), report_json, report_length);
  });
}

void tolvex_document_free(tolvex_document* document) {
  if (document == nullptr || document->mark != tolvex_document::kLive) return;
  document->mark = 0;
  const std::unique_ptr<tolvex_document> owned(document);
}

}  // extern "C"
