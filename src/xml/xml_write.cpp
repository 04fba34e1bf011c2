#include "xml/xml_write.h"

#include <libxml/chvalid.h>

#include "base/numbers.h"
#include "base/words.h"

namespace tolvex {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The code point of the UTF-8 sequence at the start of bytes and its length in length, or -1
// unless the sequence is well-formed: shortest form, no surrogate, at most U+10FFFF. libxml2's
// xmlGetUTF8Char is no such check: it takes a stray continuation byte for a lead byte.
int utf8_char(std::span<const unsigned char> bytes, int& length) {
  const unsigned char lead = bytes[0];
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  int count = 0;
  int c = 0;
  unsigned char low = 0x80;  // the range of the second byte, narrower after E0, ED, F0 and F4
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    c = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    c = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return -1;
  }
  if (bytes.size() < static_cast<std::size_t>(count)) return -1;
  for (int k = 1; k < count; ++k) {
    const unsigned char b = bytes[static_cast<std::size_t>(k)];
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return -1;
    c = c << 6 | (b & 0x3F);
  }
  length = count;
  return c;
}

}  // namespace

std::string xml_escape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < text.size()) {
    int length = 0;
    const int c = utf8_char(std::span(bytes + i, text.size() - i), length);
    if (c < 0 || !xmlIsCharQ(c)) {
      escaped += kReplacementCharacter;
      ++i;
      continue;
    }
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        // Only "]]>" is not allowed in content; everywhere else ">" stands for itself.
        escaped += escaped.ends_with("]]") ? "&gt;" : ">";
        break;
      case '\r':
        escaped += "&#13;";
        break;
      default:
        escaped.append(text.substr(i, static_cast<std::size_t>(length)));
    }
    i += static_cast<std::size_t>(length);
  }
  return escaped;
}

void xml_write_element(MemoryStream& out, std::string_view name, std::string_view content) {
  if (content.empty()) return;
  memory_stream_print(out, "<");
  memory_stream_print(out, name);
  memory_stream_print(out, ">");
  memory_stream_print(out, content);
  memory_stream_print(out, "</");
  memory_stream_print(out, name);
  memory_stream_print(out, ">");
}

void XmlTreeWriter::text(std::string_view name, const Text& field) {
  if (field) xml_write_element(out_, name, xml_escape(*field));
}

void XmlTreeWriter::integer(std::string_view name, const Integer& field) {
  if (field) xml_write_element(out_, name, std::to_string(*field));
}

void XmlTreeWriter::decimal(std::string_view name, const Decimal& field, XmlValue /*value*/) {
  if (field) xml_write_element(out_, name, format_decimal(*field));
}

std::string_view xml_enumeration_text(const Enumeration& field, std::span<const std::string_view> names) {
  return enumeration_word(field, names);
}

std::string_view xml_code_text(const CodeText& field, std::span<const std::string_view> names,
                               std::span<const std::string_view> codes) {
  return code_word(field, names, codes);
}

std::string xml_flags_text(const FlagSet& field, std::span<const std::string_view> names) {
  return flag_words(field, names);
}

void XmlTreeWriter::enumeration(std::string_view name, const Enumeration& field,
                                std::span<const std::string_view> names) {
  xml_write_element(out_, name, xml_enumeration_text(field, names));
}

void XmlTreeWriter::code(std::string_view name, const CodeText& field,
                         std::span<const std::string_view> names, std::span<const std::string_view> codes) {
  xml_write_element(out_, name, xml_code_text(field, names, codes));
}

void XmlTreeWriter::flags(std::string_view name, const FlagSet& field,
                          std::span<const std::string_view> names) {
  xml_write_element(out_, name, xml_flags_text(field, names));
}

void XmlTreeWriter::element(std::string_view name, MemoryStream& content) {
  // A nested stream that lost bytes makes the whole text incomplete.
  if (content.failed()) out_.mark_failed();
  xml_write_element(out_, name, memory_stream_take_text(content));
}

void xml_write_root_start(MemoryStream& out, std::string_view root, std::string_view type) {
  memory_stream_print(out, R"(<?xml version="1.0" encoding="utf-8"?>)");
  memory_stream_print(out, "<");
  memory_stream_print(out, root);
  memory_stream_print(out, R"( xmlns:xsi=")");
  memory_stream_print(out, kXmlSchemaInstanceNamespace);
  memory_stream_print(out, R"(" xsi:type=")");
  memory_stream_print(out, type);
  memory_stream_print(out, R"(" xmlns=")");
  memory_stream_print(out, kTolvexNamespace);
  memory_stream_print(out, R"(">)");
}

void xml_write_root_end(MemoryStream& out, std::string_view root) {
  memory_stream_print(out, "</");
  memory_stream_print(out, root);
  memory_stream_print(out, ">");
}

}  // namespace tolvex
