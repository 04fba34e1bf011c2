#include "tolvex/check.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "base/guard.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "check/iban_registry.h"
#include "check/strict_values.h"
#include "codec/base32hex.h"
#include "json/json_value.h"
#include "pipeline/families.h"
#include "validate/rule_run.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/xml.hpp"
#include "validate/field_checks.h"
#include "xml/xml_read.h"
#include "xml/xml_tree_walk.h"

namespace tolvex {
namespace {

constexpr std::size_t kValueLimit = 80;

enum class InputKind { xml, json, text };

// Told apart as the tolvex command tells them: JSON by its first character, an encoded text by
// being base32hex letters alone, anything else XML (so that its failure is the tools' line).
InputKind input_kind(std::string_view input) {
  constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";
  const std::size_t start = input.find_first_not_of(kWhiteSpace);
  if (start == std::string_view::npos) return InputKind::xml;
  if (input[start] == '{' || input[start] == '[') return InputKind::json;
  const std::string_view text = input.substr(start, input.find_last_not_of(kWhiteSpace) + 1 - start);
  return std::all_of(text.begin(), text.end(), is_base32hex_letter) ? InputKind::text : InputKind::xml;
}

// At most kValueLimit bytes, never ending inside a UTF-8 sequence.
std::string cut(std::string_view value) {
  if (value.size() <= kValueLimit) return std::string(value);
  std::size_t end = kValueLimit;
  while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
  return std::string(value.substr(0, end));
}

bool name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':';
}

// libxml2 keeps no columns: the column is that of the first start tag of the name on its line
// (with any namespace prefix), or of the first text that is not white space for text.
// lines[i] is where line i + 1 starts.
std::optional<long> column_of(std::string_view source, const std::vector<std::size_t>& lines, long line,
                              std::string_view name) {
  if (line < 1 || static_cast<std::size_t>(line) > lines.size()) return std::nullopt;
  const std::size_t start = lines[static_cast<std::size_t>(line - 1)];
  const std::size_t end = std::min(source.find('\n', start), source.size());
  const std::string_view text = source.substr(start, end - start);
  if (name.empty()) {
    const std::size_t at = text.find_first_not_of(" \t\r");
    return at == std::string_view::npos ? std::nullopt : std::optional<long>(static_cast<long>(at) + 1);
  }
  for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    std::size_t tag = at + 1;
    while (tag < text.size() && name_char(text[tag])) ++tag;
    std::string_view written = text.substr(at + 1, tag - at - 1);
    if (const std::size_t colon = written.rfind(':'); colon != std::string_view::npos)
      written = written.substr(colon + 1);
    if (written == name) return static_cast<long>(at) + 1;
  }
  return std::nullopt;
}

// The number of single-character edits between two names, stopping early past limit.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The known name within two edits, the nearest first.
std::optional<std::string> suggestion(std::string_view name, const std::vector<std::string>& known) {
  std::optional<std::string> best;
  std::size_t bestDistance = 3;
  for (const std::string& candidate : known) {
    const std::size_t distance = edit_distance(name, candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

std::string trimmed(std::string_view text) {
  const std::size_t end = text.find_last_not_of(" \t\r\n");
  return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

struct ErrorKey {
  const Message* message;
  std::string_view rule;
};

// The stable key of each failure the rules record, by its table entry.
const auto kErrorKeys = std::to_array<ErrorKey>({
    {&messages::kCannotBeNull, "field.required"},
    {&messages::kCannotBeEmpty, "field.empty"},
    {&messages::kIsInvalidDateFormat, "date.format"},
    {&messages::kDayOrMonthOutOfRange, "date.range"},
    {&messages::kIsInvalidCountryCode, "country.format"},
    {&messages::kIsInvalidCurrencyCode, "currency.format"},
    {&messages::kMustBeBetweenZeroAndOne, "field.unit-interval"},
    {&messages::kCannotBeNegative, "field.negative"},
    {&messages::kIsOutOfRange, "field.range"},
    {&messages::kContainsInvalidValues, "field.flags"},
    {&messages::kCanContainOnlyDigits, "field.digits"},
    {&messages::kIsTooLong, "field.too-long"},
    {&messages::kIsInvalid, "field.invalid"},
    {&messages::kConflictsWithAnotherField, "field.choice-conflict"},
    {&messages::kNoChoiceFieldGiven, "field.choice-missing"},
    {&messages::kListCannotBeEmpty, "list.empty"},
    {&messages::kListCannotContainNull, "list.null-item"},
    {&messages::kPeriodFromDateAfterPeriodToDate, "date.period-order"},
    {&messages::kInvalidValue, "field.enumeration"},
    {&messages::kMustBeNullBecauseOfReference, "field.excluded"},
    {&messages::kMustBeNullUnlessPeriodicityRequires, "field.excluded"},
    {&messages::kMustBeNullWithoutStandingOrder, "field.excluded"},
    {&messages::kMustBeNullWithoutDirectDebit, "field.excluded"},
    {&messages::kSepaSchemeSelected, "field.excluded"},
    {&messages::kMandateIdentifiersUsed, "field.excluded"},
    {&messages::kReferenceInformationUsed, "field.excluded"},
    {&messages::kInvalidIntegerFormat, "xml.integer"},
    {&messages::kInvalidDecimalFormat, "xml.decimal"},
    {&messages::kInvalidEnumValue, "xml.enumeration"},
    {&messages::kContainsDuplicateValue, "xml.flags-repeated"},
    {&messages::kGettingRootElementError, "xml.syntax"},
    {&messages::kGettingRootElementErrorBeforeDiagnostics, "xml.syntax"},
    {&messages::kXmlCannotBeNull, "xml.syntax"},
    {&messages::kRootTypeAttributeInvalid, "xml.root-type"},
    {&messages::kXmlContentTooLong, "xml.expansion"},
    {&messages::kXmlExpansionTooLarge, "xml.expansion"},
    {&messages::kJsonCannotBeRead, "json.syntax"},
    {&messages::kJsonTooLarge, "json.too-large"},
    {&messages::kJsonTooDeep, "json.too-deep"},
    {&messages::kJsonNotADocument, "json.not-a-document"},
    {&messages::kJsonNotAString, "json.type"},
    {&messages::kJsonNotANumber, "json.type"},
    {&messages::kJsonNotAnObject, "json.type"},
    {&messages::kJsonNotAnArray, "json.type"},
    {&messages::kJsonMemberTwice, "json.member-twice"},
    {&messages::kJsonNumberNotFinite, "json.number-not-finite"},
    {&messages::kDocumentCannotBeNull, "document.missing"},
    {&messages::kUnknownDocumentFamily, "document.family"},
    {&messages::kDocumentVersionNotSupported, "document.version"},
    {&messages::kErrorInGettingRootAndType, "document.type"},
    {&messages::kErrorWrongInvoiceDocumentType, "document.type"},
    {&messages::kSequenceLimitExceeded, "document.too-long"},
    {&messages::kInvalidBase32hexString, "text.base32hex"},
    {&messages::kHeaderNotFound, "text.header"},
    {&messages::kChecksumNotFound, "text.checksum"},
    {&messages::kChecksumMismatch, "text.checksum"},
    {&messages::kCompressionError, "text.compression"},
    {&messages::kDecompressionError, "text.compression"},
    {&messages::kInvalidCompressedData, "text.compression"},
});

std::string_view error_rule(const Error& error) {
  for (const ErrorKey& key : kErrorKeys) {
    if (key.message->code != static_cast<ErrorCode>(error.code)) continue;
    if (error.detail == key.message->text || error.message == key.message->text) return key.rule;
  }
  return "document.invalid";
}

// Whether a field's failure names the field (its name, or a JSON path, stands as the message).
bool names_a_field(const Error& error) {
  if (error.detail.empty() || error.message.empty()) return false;
  return std::all_of(error.message.begin(), error.message.end(), [](char c) { return name_char(c) || c == '/'; });
}

// Whether this value is the one the rule refused, where the value alone tells.
bool value_fails(std::string_view rule, const XmlWalkLeaf& leaf) {
  const Text text = leaf.value;
  if (rule == "xml.decimal") return !parse_decimal(leaf.value.c_str());
  if (rule == "xml.integer") return !parse_integer(leaf.value.c_str());
  if (rule == "date.format" || rule == "date.range") return check_date(leaf.name, text) != ERROR_OK;
  if (rule == "currency.format") return check_currency_code(leaf.name, text) != ERROR_OK;
  if (rule == "country.format") return check_country_code(leaf.name, text) != ERROR_OK;
  if (rule == "field.invalid" && leaf.name == "IBAN") return check_iban(leaf.name, text) != ERROR_OK;
  if (rule == "field.invalid" && leaf.name == "BIC") return check_bic(leaf.name, text) != ERROR_OK;
  return true;
}

// A member or list item of the JSON form, by its path.
struct JsonPlace {
  std::size_t offset = 0;
  std::string name;   // the member's name; empty for a list item
  std::string value;  // a string's content or a number's token
};

// A JSON pointer of the reader's failures ("/Pay/Payments/0") as a path ("Payments/0").
std::string path_of_pointer(const std::string& pointer) {
  if (pointer.empty() || pointer.front() != '/') return pointer;
  const std::size_t second = pointer.find('/', 1);
  return second == std::string::npos ? std::string() : pointer.substr(second + 1);
}

class Checker {
 public:
  // walk: the document's elements, when it has a family's tree.
  Checker(std::string_view source, InputKind kind, const XmlWalk* walk)
      : source_(source), positions_(kind == InputKind::xml), walk_(walk) {
    if (walk != nullptr) {
      for (const XmlWalkLeaf& leaf : walk->leaves) leafAt_.emplace(leaf.path, &leaf);
      for (const XmlWalkRecord& record : walk->records) recordAt_.emplace(record.path, &record);
    }
    if (kind == InputKind::text) return;
    lines_.push_back(0);
    for (std::size_t at = source.find('\n'); at != std::string_view::npos; at = source.find('\n', at + 1))
      lines_.push_back(at + 1);
  }

  // The JSON form's members by path, for the places of findings; and every member the family's
  // description does not know in its object, where the walk has that object.
  void json_members(const JsonValue& document) {
    if (document.kind != JsonValue::Kind::object || document.members.empty()) return;
    const JsonMember& family = document.members.front();
    jsonPlaces_.emplace("", JsonPlace{family.offset, family.name, {}});
    json_object(family.value, "");
  }

  std::vector<Finding> take() {
    if (!jsonPlaces_.empty()) {
      for (Finding& finding : errors_) json_locate(finding);
      for (Finding& finding : warnings_) json_locate(finding);
    }
    // Warnings in the order of the input where it has places.
    std::stable_sort(warnings_.begin(), warnings_.end(), [](const Finding& a, const Finding& b) {
      return std::pair(a.line.value_or(0), a.column.value_or(0)) < std::pair(b.line.value_or(0), b.column.value_or(0));
    });
    std::vector<Finding> all = std::move(errors_);
    all.insert(all.end(), std::make_move_iterator(warnings_.begin()), std::make_move_iterator(warnings_.end()));
    return all;
  }

  // The failure encoding met first, then every other failure reading and the rules meet, in
  // their order; a field already refused is not judged again.
  void errors(const Error& first, const std::vector<RuleFailure>& failures) {
    const auto same = std::find_if(failures.begin(), failures.end(),
                                   [&first](const RuleFailure& f) { return f.error.line == first.line; });
    if (same != failures.end()) {
      add_error(same->error, same->path);
    } else {
      add_error(first, names_a_field(first) ? first.message : std::string(), true);
    }
    for (const RuleFailure& failure : failures) {
      if (errors_.size() >= kXmlWalkMaxFindings) break;
      if (!has_error(failure.path)) add_error(failure.error, failure.path);
    }
  }

  void structure(const XmlWalk& walk) {
    for (const XmlWalkFinding& found : walk.findings) {
      Finding finding;
      finding.severity = Severity::warning;
      finding.path = found.path;
      finding.line = found.line;
      if (positions_) finding.column = column_of(source_, lines_, found.line, found.name);
      if (!positions_) finding.line.reset();
      switch (found.problem) {
        case XmlWalkProblem::unknown_element: {
          finding.rule = "xml.unknown-element";
          finding.value = cut(found.name);
          finding.message = std::string(messages::kElementUnknownHere.text);
          if (const std::optional<std::string> near = suggestion(found.name, found.known)) {
            finding.message += ",";
            finding.message += messages::kDidYouMean.text;
            finding.message += *near + "?";
          }
          break;
        }
        case XmlWalkProblem::repeated_element:
          finding.rule = "xml.repeated-element";
          finding.value = cut(found.name);
          finding.message = std::string(messages::kElementGivenTwice.text);
          break;
        case XmlWalkProblem::text_in_record:
          finding.rule = "xml.text-in-record";
          finding.value = cut(trimmed(found.value.substr(std::min(found.value.find_first_not_of(" \t\r\n"),
                                                                  found.value.size()))));
          finding.message = std::string(messages::kTextWhereRecordExpected.text);
          break;
      }
      warnings_.push_back(std::move(finding));
    }
  }

  void values(const XmlWalk& walk, std::string_view family) {
    std::map<std::string, const XmlWalkLeaf*, std::less<>> byPath;
    for (const XmlWalkLeaf& leaf : walk.leaves) byPath.emplace(leaf.path, &leaf);
    const auto at = [&byPath](const std::string& path) -> const XmlWalkLeaf* {
      const auto found = byPath.find(path);
      return found == byPath.end() ? nullptr : found->second;
    };
    for (const XmlWalkLeaf& leaf : walk.leaves) {
      if (leaf.computed || has_error(leaf.path)) continue;
      const std::string parent = parent_of(leaf.path);
      if (leaf.name == "IBAN") iban(leaf);
      if (leaf.name == "BIC") bic(leaf, at(join(parent, "IBAN")));
      if (leaf.name.size() > 4 && leaf.name.ends_with("Date") && !calendar_date(leaf.value) &&
          check_date(leaf.name, Text(leaf.value)) == ERROR_OK) {
        warn(leaf, "date.calendar", messages::kDateNotInCalendar);
      }
      if (leaf.name.ends_with("CurrencyCode") && check_currency_code(leaf.name, Text(leaf.value)) == ERROR_OK &&
          !iso_currency(leaf.value)) {
        warn(leaf, "currency.unknown", messages::kCurrencyNotInUse);
      }
    }
    if (family == "Pay") payments(walk, at);
    if (family == "Invoice") invoice(walk, at);
  }

 private:
  static std::string parent_of(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
  }
  static std::string join(const std::string& parent, std::string_view name) {
    return parent.empty() ? std::string(name) : parent + "/" + std::string(name);
  }

  bool has_error(std::string_view path) const {
    return std::any_of(errors_.begin(), errors_.end(), [path](const Finding& f) { return f.path == path; });
  }

  // An error at its field; where the walk has no such field (a missing one, a record's
  // failure), at the nearest record around it. byName: the path may be a bare element name,
  // as reading failures name their element, and the element is the first whose value fails.
  void add_error(const Error& error, const std::string& path, bool byName = false) {
    Finding finding;
    finding.severity = Severity::error;
    finding.rule = std::string(error_rule(error));
    finding.message = trimmed(std::string_view(error.line).substr(std::min(error.line.size(), error.name.size() + 2)));
    finding.errorLine = error.line;
    finding.path = path_of_pointer(path);
    if (walk_ != nullptr && !finding.path.empty()) locate(finding, byName && finding.path == path);
    errors_.push_back(std::move(finding));
  }

  void locate(Finding& finding, bool byName) {
    if (byName) {
      for (const XmlWalkLeaf& leaf : walk_->leaves) {
        if (leaf.name == finding.path && !leaf.computed && value_fails(finding.rule, leaf)) {
          place(finding, leaf);
          return;
        }
      }
      return;
    }
    if (const auto leaf = leafAt_.find(finding.path); leaf != leafAt_.end()) {
      place(finding, *leaf->second);
      return;
    }
    for (std::string around = finding.path;; around = parent_of(around)) {
      if (const auto record = recordAt_.find(around); record != recordAt_.end()) {
        if (positions_) {
          finding.line = record->second->line;
          finding.column = column_of(source_, lines_, record->second->line, record->second->name);
        }
        return;
      }
      if (around.empty()) return;
    }
  }


  void json_object(const JsonValue& object, const std::string& path) {
    if (object.kind != JsonValue::Kind::object) return;
    const auto found = recordAt_.find(path);
    const XmlWalkRecord* record = found != recordAt_.end() ? found->second : nullptr;
    for (const JsonMember& member : object.members) {
      const std::string inside = join(path, member.name);
      const bool scalar = member.value.kind == JsonValue::Kind::string || member.value.kind == JsonValue::Kind::number;
      jsonPlaces_.emplace(inside, JsonPlace{member.offset, member.name, scalar ? member.value.text : std::string()});
      // The root's "type" names the document's type.
      if (record != nullptr && !(path.empty() && member.name == "type") &&
          std::find(record->known.begin(), record->known.end(), member.name) == record->known.end()) {
        unknown_member(inside, member, record->known);
        continue;
      }
      if (member.value.kind == JsonValue::Kind::object) json_object(member.value, inside);
      if (member.value.kind != JsonValue::Kind::array) continue;
      for (std::size_t i = 0; i < member.value.items.size(); ++i) {
        const std::string item = inside + "/" + std::to_string(i);
        jsonPlaces_.emplace(item, JsonPlace{member.value.items[i].offset, {}, {}});
        json_object(member.value.items[i], item);
      }
    }
  }

  void unknown_member(const std::string& path, const JsonMember& member, const std::vector<std::string>& known) {
    if (warnings_.size() >= kXmlWalkMaxFindings) return;
    Finding finding;
    finding.severity = Severity::warning;
    finding.rule = "json.unknown-member";
    finding.path = path;
    finding.value = cut(member.name);
    finding.message = std::string(messages::kMemberUnknownHere.text);
    if (const std::optional<std::string> near = suggestion(member.name, known)) {
      finding.message += ",";
      finding.message += messages::kDidYouMean.text;
      finding.message += *near + "?";
    }
    warnings_.push_back(std::move(finding));
  }

  // The place of the finding's member, or of the nearest one around it. A bare name, as the
  // reader's value failures give, is the first member of that name whose value fails.
  void json_locate(Finding& finding) {
    if (finding.line) return;
    auto found = jsonPlaces_.find(finding.path);
    if (found == jsonPlaces_.end() && finding.path.find('/') == std::string::npos && !finding.path.empty()) {
      std::size_t first = std::string::npos;
      for (auto at = jsonPlaces_.begin(); at != jsonPlaces_.end(); ++at) {
        XmlWalkLeaf leaf;
        leaf.name = at->second.name;
        leaf.value = at->second.value;
        if (at->second.name != finding.path || at->second.offset >= first || !value_fails(finding.rule, leaf)) continue;
        first = at->second.offset;
        found = at;
      }
      if (found != jsonPlaces_.end()) {
        finding.path = found->first;
        if (finding.value.empty()) finding.value = cut(found->second.value);
      }
    }
    for (std::string around = finding.path; found == jsonPlaces_.end() && !around.empty();) {
      around = parent_of(around);
      found = jsonPlaces_.find(around);
    }
    if (found == jsonPlaces_.end()) return;
    const std::size_t offset = found->second.offset;
    const auto line = std::upper_bound(lines_.begin(), lines_.end(), offset);
    finding.line = static_cast<long>(line - lines_.begin());
    finding.column = static_cast<long>(offset - *(line - 1)) + 1;
  }

  void place(Finding& finding, const XmlWalkLeaf& leaf) const {
    finding.path = leaf.path;
    finding.value = cut(leaf.value);
    if (positions_) {
      finding.line = leaf.line;
      finding.column = column_of(source_, lines_, leaf.line, leaf.name);
    }
  }

  void warn(const XmlWalkLeaf& leaf, std::string_view rule, const Message& message) {
    Finding finding;
    finding.severity = Severity::warning;
    finding.rule = std::string(rule);
    finding.message = std::string(message.text);
    place(finding, leaf);
    warnings_.push_back(std::move(finding));
  }

  void iban(const XmlWalkLeaf& leaf) {
    const Text text = leaf.value;
    if (check_iban(leaf.name, text) != ERROR_OK) return;
    const std::string_view iban = leaf.value;
    const IbanFormat* format = iban_format(iban.substr(0, 2));
    if (format == nullptr) {
      warn(leaf, "pay.bank-account.iban.country", messages::kIbanCountryUnknown);
    } else if (static_cast<int>(iban.size()) != format->length) {
      warn(leaf, "pay.bank-account.iban.length", messages::kIbanLengthWrong);
    } else if (!bban_matches(iban.substr(4), format->bban)) {
      warn(leaf, "pay.bank-account.iban.bban-format", messages::kIbanBbanFormatWrong);
    }
    if (!iban_check_digits_match(iban)) warn(leaf, "pay.bank-account.iban.check-digits", messages::kIbanCheckDigitsMismatch);
  }

  void bic(const XmlWalkLeaf& leaf, const XmlWalkLeaf* iban) {
    if (check_bic(leaf.name, Text(leaf.value)) != ERROR_OK) return;
    const std::string_view country = std::string_view(leaf.value).substr(4, 2);
    // Kosovo's XK is no ISO 3166 code yet, but its banks' BICs and IBANs carry it.
    if (!iso_country(country) && country != "XK") {
      warn(leaf, "pay.bank-account.bic.country", messages::kBicCountryUnknown);
      return;
    }
    if (iban != nullptr && iban->value.size() >= 2 && std::string_view(iban->value).substr(0, 2) != country &&
        check_iban(iban->name, Text(iban->value)) == ERROR_OK) {
      warn(leaf, "pay.bank-account.bic.iban-country", messages::kBicCountryDiffersFromIban);
    }
  }

  template <typename At>
  void payments(const XmlWalk& walk, At at) {
    for (const XmlWalkLeaf& leaf : walk.leaves) {
      if (has_error(leaf.path)) continue;
      const std::string parent = parent_of(leaf.path);
      if (leaf.path.starts_with("Payments/") && (leaf.name == "Amount" || leaf.name == "MaxAmount")) {
        const std::string payment = leaf.name == "Amount" ? parent : parent_of(parent);
        const XmlWalkLeaf* currency = at(join(payment, "CurrencyCode"));
        amount_decimals(leaf, currency);
        const std::optional<double> value = parse_decimal(leaf.value.c_str());
        if (leaf.name == "Amount" && value && *value <= 0)
          warn(leaf, "pay.amount.not-positive", messages::kAmountNotPositive);
      }
      if (leaf.name == "LastDate") {
        const XmlWalkLeaf* due = at(join(parent_of(parent), "PaymentDueDate"));
        if (due != nullptr && calendar_date(due->value) && calendar_date(leaf.value) && leaf.value < due->value)
          warn(leaf, "pay.standing-order.last-date-before-due-date", messages::kLastDateBeforeDueDate);
      }
    }
  }

  void amount_decimals(const XmlWalkLeaf& leaf, const XmlWalkLeaf* currency) {
    if (currency == nullptr) return;
    const std::optional<int> minor = currency_minor_unit(currency->value);
    const std::optional<int> decimals = significant_decimals(leaf.value);
    if (minor && decimals && *decimals > *minor) warn(leaf, "amount.decimals", messages::kAmountTooManyDecimals);
  }

  template <typename At>
  void invoice(const XmlWalk& walk, At at) {
    const XmlWalkLeaf* currency = at("LocalCurrencyCode");
    const int minor = currency != nullptr ? currency_minor_unit(currency->value).value_or(2) : 2;
    const double unit = std::pow(10.0, -minor);
    const auto number = [&at](const std::string& path) -> std::optional<double> {
      const XmlWalkLeaf* leaf = at(path);
      return leaf != nullptr ? parse_decimal(leaf->value.c_str()) : std::nullopt;
    };
    double exclusive = 0;
    double tax = 0;
    std::size_t count = 0;
    for (const XmlWalkLeaf& leaf : walk.leaves) {
      if (leaf.computed || has_error(leaf.path)) continue;
      if (leaf.decimal && leaf.name.ends_with("Amount")) amount_decimals(leaf, currency);
      if (!leaf.path.starts_with("TaxCategorySummaries/")) continue;
      const std::string summary = parent_of(leaf.path);
      const std::optional<double> rate = number(join(summary, "ClassifiedTaxCategory"));
      const std::optional<double> value = parse_decimal(leaf.value.c_str());
      if (!value) continue;
      if (leaf.name == "TaxExclusiveAmount") {
        exclusive += *value;
        ++count;
      }
      if (leaf.name == "TaxAmount") tax += *value;
      // A tax amount is rounded to the currency's unit from the taxable amount times the rate.
      for (const auto& [base, taxName] : {std::pair{"TaxExclusiveAmount", "TaxAmount"},
                                          std::pair{"AlreadyClaimedTaxExclusiveAmount", "AlreadyClaimedTaxAmount"}}) {
        if (leaf.name != taxName || !rate) continue;
        const std::optional<double> taxable = number(join(summary, base));
        if (taxable && std::fabs(*taxable * *rate - *value) > unit / 2 + 1e-9)
          warn(leaf, "invoice.tax-summary.tax-amount", messages::kTaxAmountDiffersFromRate);
      }
    }
    // Totals written into the monetary summary (which the code derives itself) against the sums.
    const double tolerance = unit / 2 * static_cast<double>(std::max<std::size_t>(count, 1)) + 1e-9;
    for (const XmlWalkLeaf& leaf : walk.leaves) {
      if (!leaf.path.starts_with("MonetarySummary/")) continue;
      const std::optional<double> value = parse_decimal(leaf.value.c_str());
      if (!value || count == 0) continue;
      if (leaf.name == "TaxExclusiveAmount" && std::fabs(*value - exclusive) > tolerance)
        warn(leaf, "invoice.totals.tax-exclusive", messages::kTaxExclusiveTotalsDiffer);
      if (leaf.name == "TaxAmount" && std::fabs(*value - tax) > tolerance)
        warn(leaf, "invoice.totals.tax", messages::kTaxTotalsDiffer);
    }
  }

  std::string_view source_;
  bool positions_;
  std::vector<std::size_t> lines_;
  std::vector<Finding> errors_;
  std::vector<Finding> warnings_;
  const XmlWalk* walk_;
  std::map<std::string_view, const XmlWalkLeaf*> leafAt_;
  std::map<std::string_view, const XmlWalkRecord*> recordAt_;
  std::map<std::string, JsonPlace, std::less<>> jsonPlaces_;
};

struct Walked {
  XmlDocPtr tree;
  const FamilyFormat* format = nullptr;  // null when the text is no XML of a known family
  XmlWalk walk;
};

// Walks the XML text's elements along its family's tree.
Walked walk_xml(std::string_view xml) {
  Walked walked;
  if (xml_parse(xml.data(), xml.size(), &walked.tree) != ERROR_OK) return walked;
  const xmlNode* root = xmlDocGetRootElement(walked.tree.get());
  walked.format = family_format_of_root(root);
  if (walked.format == nullptr) return walked;
  XmlTreeWalker walker(root, "", walked.walk);
  walked.format->walkXml(walker);
  walker.finish();
  return walked;
}

// Every value that does not read, then every failure of the rules over the rest: the elements
// that do not read are taken out of the tree, so that the document reads without them.
std::vector<RuleFailure> failures_of(Walked& walked) {
  std::vector<RuleFailure> failures;
  for (XmlWalkLeaf& leaf : walked.walk.leaves) {
    if (!leaf.unread) continue;
    failures.push_back({leaf.path, *leaf.unread});
    // The tree is the check's own.
    auto* node = const_cast<xmlNode*>(leaf.node);
    xmlUnlinkNode(node);
    xmlFreeNode(node);
    leaf.node = nullptr;
  }
  DocumentPtr<> document;
  if (walked.format->readXml(xmlDocGetRootElement(walked.tree.get()), &document) != ERROR_OK) return failures;
  RuleRun run(failures);
  walked.format->rules(document.get(), run);
  return failures;
}

// Reading the JSON form again for each member that might be the failing one costs a whole read:
// past this many reads a hostile text keeps the failures found so far.
constexpr std::size_t kMaxJsonReads = 64;

// The members of an object and of the objects inside it, with their paths, in document order.
void json_members_of(JsonValue& object, const std::string& path, std::vector<std::pair<std::string, JsonMember*>>& out) {
  for (JsonMember& member : object.members) {
    const std::string inside = path.empty() ? member.name : path + "/" + member.name;
    out.emplace_back(inside, &member);
    if (member.value.kind == JsonValue::Kind::object) json_members_of(member.value, inside, out);
    for (std::size_t i = 0; i < member.value.items.size(); ++i)
      json_members_of(member.value.items[i], inside + "/" + std::to_string(i), out);
  }
}

// The JSON form read as the reader reads it, each member that fails taken out in turn (a member
// no description names is skipped), so that every value failure is known with its path and
// the rules judge the rest. A failure naming a bare element is the first member of that name
// that fails alone. rest: the document read without those members.
std::vector<RuleFailure> failures_of(JsonValue& root, DocumentPtr<>& rest) {
  std::vector<RuleFailure> failures;
  if (root.kind != JsonValue::Kind::object || root.members.size() != 1) return failures;
  JsonMember& family = root.members.front();
  const FamilyFormat* format = family_format_of_root_name(family.name);
  if (format == nullptr || family.value.kind != JsonValue::Kind::object) return failures;
  const std::string pointer = "/" + family.name;
  std::vector<std::pair<std::string, JsonMember*>> members;
  json_members_of(family.value, "", members);
  std::size_t reads = 0;
  const auto read = [&](DocumentPtr<>* document) {
    ++reads;
    const ErrorCode code = format->readJson(family.value, pointer, document);
    return code == ERROR_OK ? std::optional<Error>() : error_of(code);
  };
  for (;;) {
    DocumentPtr<> document;
    const std::optional<Error> error = read(&document);
    if (!error) {
      RuleRun run(failures);
      format->rules(document.get(), run);
      rest = std::move(document);
      return failures;
    }
    const auto failing = [&]() -> std::vector<std::pair<std::string, JsonMember*>>::iterator {
      if (!names_a_field(*error)) return members.end();
      if (error->message.front() == '/') {
        const std::string path = path_of_pointer(error->message);
        return std::find_if(members.begin(), members.end(), [&path](const auto& m) { return m.first == path; });
      }
      // With only one member of that name left, the read fails as before exactly when that
      // member fails: the first such is the one the reader meets first.
      std::vector<std::vector<std::pair<std::string, JsonMember*>>::iterator> named;
      for (auto member = members.begin(); member != members.end(); ++member) {
        if (member->second->name == error->message) named.push_back(member);
      }
      for (const auto candidate : named) {
        if (reads >= kMaxJsonReads) break;
        for (const auto other : named) other->second->name.clear();
        candidate->second->name = error->message;
        const std::optional<Error> alone = read(nullptr);
        for (const auto other : named) other->second->name = error->message;
        if (alone && alone->line == error->line) return candidate;
      }
      return members.end();
    }();
    if (failing == members.end()) return failures;
    failures.push_back({failing->first, *error});
    if (reads >= kMaxJsonReads) return failures;
    failing->second->name.clear();
  }
}

ErrorCode check_into(std::string_view input, std::vector<Finding>& out) {
  const InputKind kind = input_kind(input);
  std::optional<Error> failure;
  Walked walked;
  std::vector<RuleFailure> failures;
  if (kind == InputKind::xml) {
    const Result<std::string> encoded = encode_xml(input);
    if (!encoded) failure = encoded.error();
    walked = walk_xml(input);
    if (failure && walked.format != nullptr) failures = failures_of(walked);
  } else {
    // The JSON form and encoded texts are checked through their document's XML; the JSON form's
    // places are its members'.
    Result<DocumentPtr<>> document = kind == InputKind::json ? read_json(input) : decode(input);
    if (kind == InputKind::json) {
      const Result<std::string> encoded = encode_json(input);
      if (!encoded) failure = encoded.error();
    } else if (!document) {
      failure = document.error();
    }
    DocumentPtr<> rest;
    if (kind == InputKind::json && failure) {
      if (JsonValue json; json_parse(input, &json) == ERROR_OK) failures = failures_of(json, rest);
    }
    const Document* read = document && *document ? document->get() : rest.get();
    if (read != nullptr) {
      if (const Result<std::string> written = to_xml(*read)) walked = walk_xml(*written);
    }
  }
  const XmlWalk* walk = walked.format != nullptr ? &walked.walk : nullptr;
  Checker checker(input, kind, walk);
  if (kind == InputKind::json) {
    JsonValue json;
    if (json_parse(input, &json) == ERROR_OK) checker.json_members(json);
  }
  if (failure) checker.errors(*failure, failures);
  if (walk != nullptr) {
    if (kind == InputKind::xml) checker.structure(*walk);
    checker.values(*walk, walked.format->root);
  }
  out = checker.take();
  return ERROR_OK;
}

}  // namespace

Result<std::vector<Finding>> check(std::string_view document) {
  return guarded_result<std::vector<Finding>>([&](std::vector<Finding>& found) { return check_into(document, found); });
}

std::string_view severity_name(Severity severity) { return severity == Severity::error ? "error" : "warning"; }

bool check_passes(std::span<const Finding> findings, bool strict) {
  return std::none_of(findings.begin(), findings.end(),
                      [strict](const Finding& f) { return f.severity == Severity::error || strict; });
}

}  // namespace tolvex
