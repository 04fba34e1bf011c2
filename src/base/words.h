// The words a document's tree writes for enumerations, code lists and flag sets, and how a
// word read back becomes a value: shared by every form of the tree (XML, JSON), so that they
// read and write the same words with the same failures.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/error.h"
#include "tolvex/value.hpp"

namespace tolvex {

// Whether an element of a record's tree description is read back. Computed amounts are written
// for the reader's benefit but never taken from the input: they are derived again.
enum class XmlValue { carried, computed };

// The position of the name equal to word, if any.
[[nodiscard]] std::optional<std::size_t> word_position(std::string_view word,
                                                       std::span<const std::string_view> names);

// The written form of an enumeration (the name at the held position), a code text (the name
// whose code equals it) and a flag set (the names of the set bits in position order, joined by
// spaces; bits beyond the list are ignored); empty when there is nothing to write.
[[nodiscard]] std::string_view enumeration_word(const Enumeration& field, std::span<const std::string_view> names);
[[nodiscard]] std::string_view code_word(const CodeText& field, std::span<const std::string_view> names,
                                         std::span<const std::string_view> codes);
[[nodiscard]] std::string flag_words(const FlagSet& field, std::span<const std::string_view> names);

// Reading the words back; a failure names the field (name) as XML reading always has.
// No equal name is "Invalid enum value.".
[[nodiscard]] ErrorCode read_enumeration_word(std::string_view name, std::string_view word, Enumeration& field,
                                              std::span<const std::string_view> names);
// As read_enumeration_word, storing the code at the same position of the parallel code list.
[[nodiscard]] ErrorCode read_code_word(std::string_view name, std::string_view word, CodeText& field,
                                       std::span<const std::string_view> names,
                                       std::span<const std::string_view> codes);
// The bit sum of the names among the space-separated words. Unknown words are skipped; a name
// given twice is "Contains duplicate value.".
[[nodiscard]] ErrorCode read_flag_words(std::string_view name, std::string_view words, FlagSet& field,
                                        std::span<const std::string_view> names);

}  // namespace tolvex
