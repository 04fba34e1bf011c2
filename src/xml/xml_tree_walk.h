// XmlTreeWalker: follows a record's XML description (the one that drives XmlTreeReader) over the
// elements of a parsed document, recording every element it knows with its path, value and line,
// and every element it does not know, given twice where one is read, or text where a record is
// expected. It reads nothing into a document and never fails; judging what it found is the
// business of the checks above. Each value is read as the reader would read it, so that every
// value that fails to read is known with its failure; that leaves the last-error record to the
// last of those failures.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/error.h"
#include "tolvex/value.hpp"
#include "xml/xml_read.h"

namespace tolvex {

// An element the description knows, with a text value (records and lists are not leaves).
struct XmlWalkLeaf {
  std::string path;   // "Payments/0/BankAccounts/1/IBAN"
  std::string name;   // "IBAN"
  std::string value;  // the content as written, entity references substituted
  long line = 0;      // libxml2's line of the start tag
  bool computed = false;
  bool number = false;  // read as an integer or a decimal
  bool decimal = false;
  const xmlNode* node = nullptr;  // in the walked tree, while it lives
  std::optional<Error> unread;    // the failure reading the value gives, when it does not read
};

// A record, a list or a list's item: where a failure about the record as a whole, or about a
// field missing from it, is placed.
struct XmlWalkRecord {
  std::string path;  // "Payments/0", "Payments/0/StandingOrderExt"; "" for the root
  std::string name;  // its element's name
  long line = 0;
  std::vector<std::string> known;  // the names its description knows inside it
};

enum class XmlWalkProblem { unknown_element, repeated_element, text_in_record };

struct XmlWalkFinding {
  XmlWalkProblem problem = XmlWalkProblem::unknown_element;
  std::string path;                // of the offending element, or of the record holding the text
  std::string name;                // the element's name; empty for text
  std::string value;               // the stray text, for text_in_record
  long line = 0;
  std::vector<std::string> known;  // the names known at that place, for suggestions
};

// A hostile document can hold millions of unknown elements: past this many, findings are counted
// in dropped and no longer kept.
inline constexpr std::size_t kXmlWalkMaxFindings = 1000;

struct XmlWalk {
  std::vector<XmlWalkLeaf> leaves;
  std::vector<XmlWalkRecord> records;
  std::vector<XmlWalkFinding> findings;
  std::size_t dropped = 0;
};

class XmlTreeWalker {
 public:
  // Walks the children of element, recording the element as a record; paths start with prefix
  // ("" at the root).
  XmlTreeWalker(const xmlNode* element, std::string prefix, XmlWalk& out)
      : element_(element), prefix_(std::move(prefix)), out_(out), record_(out.records.size()) {
    out_.records.push_back({prefix_, reinterpret_cast<const char*>(element->name), xmlGetLineNo(element), {}});
  }

  void text(std::string_view name, const Text& /*field*/) { leaf(name, false); }
  void integer(std::string_view name, const Integer& /*field*/) {
    Integer read;
    leaf(name, false, true, false, xml_read_integer(element_, name, read));
  }
  void decimal(std::string_view name, const Decimal& /*field*/, XmlValue value = XmlValue::carried) {
    Decimal read;
    const bool computed = value == XmlValue::computed;
    leaf(name, computed, true, true, computed ? ERROR_OK : xml_read_decimal(element_, name, read));
  }
  void enumeration(std::string_view name, const Enumeration& /*field*/, std::span<const std::string_view> names) {
    Enumeration read;
    leaf(name, false, false, false, xml_read_enum(element_, name, read, names));
  }
  void code(std::string_view name, const CodeText& /*field*/, std::span<const std::string_view> names,
            std::span<const std::string_view> codes) {
    CodeText read;
    leaf(name, false, false, false, xml_read_enum_code(element_, name, read, names, codes));
  }
  void flags(std::string_view name, const FlagSet& /*field*/, std::span<const std::string_view> names) {
    FlagSet read;
    leaf(name, false, false, false, xml_read_flags(element_, name, read, names));
  }

  template <typename T, typename Fields>
  void record(std::string_view name, const Record<T>& /*field*/, Fields fields) {
    const xmlNode* child = first(name);
    if (child == nullptr) return;
    static const T absent{};
    XmlTreeWalker inner(child, path_of(name), out_);
    fields(inner, absent);
    inner.finish();
  }

  template <typename T, typename Fields>
  void list(std::string_view name, std::string_view itemName, const List<T>& /*field*/, Fields fields) {
    const xmlNode* child = first(name);
    if (child == nullptr) return;
    static const T absent{};
    const std::string path = path_of(name);
    std::size_t index = 0;
    for (const xmlNode* item = child->children; item != nullptr; item = item->next) {
      if (!xml_is_element(item, itemName)) continue;
      XmlTreeWalker inner(item, path + "/" + std::to_string(index++), out_);
      fields(inner, absent);
      inner.finish();
    }
    XmlTreeWalker items(child, path, out_);
    items.known_.emplace_back(itemName);
    items.finish();
  }

  // Records what the description did not name among the element's children. Called once, after
  // the description has named every child it knows.
  void finish();

 private:
  void leaf(std::string_view name, bool computed, bool number = false, bool decimal = false,
            ErrorCode read = ERROR_OK);
  void add(XmlWalkFinding finding);
  // The first child of that name; a second one is recorded as repeated. Marks the name known.
  const xmlNode* first(std::string_view name);
  [[nodiscard]] std::string path_of(std::string_view name) const {
    return prefix_.empty() ? std::string(name) : prefix_ + "/" + std::string(name);
  }

  const xmlNode* element_;
  std::string prefix_;
  XmlWalk& out_;
  std::size_t record_;
  std::vector<std::string> known_;
};

}  // namespace tolvex
