#include "base/error.h"

#include <array>
#include <new>

#include "base/messages.h"

namespace tolvex {
namespace {

// Indexed by code + 3. ERROR_QR keeps the colon and space of the others: its message
// explains an encoder failure and must not run into the code's name.
constexpr std::array<std::string_view, 15> kPrefixes = {
    "ERROR_IO: ",
    "ERROR_NULL_POINTER: ",
    "ERROR_ILLEGAL_ARGUMENT: ",
    "",
    "ERROR_BASE32HEX: ",
    "ERROR_CHECKSUM: ",
    "ERROR_COMPRESSION: ",
    "ERROR_INVALID_VALUE: ",
    "ERROR_BAD_FORMAT: ",
    "ERROR_MAX_PRIORITY_REACHED: ",
    "ERROR_SEQUENCE_LIMIT_EXCEEDED: ",
    "ERROR_UNKNOWN_DOCUMENT: ",
    "ERROR_XML: ",
    "ERROR_MISSING_LOGO: ",
    "ERROR_QR: ",
};

// Room that the texts of every fixed message fit without allocating, so that recording a
// failure, the lack of memory above all, cannot itself run out of memory.
constexpr std::size_t kReservedText = 256;

LastError reserved_record() {
  LastError reserved;
  try {
    reserved.message.reserve(kReservedText);
    reserved.detail.reserve(kReservedText);
  } catch (const std::bad_alloc&) {
    // Without the room, a later failure may still find memory for its texts.
  }
  return reserved;
}

// One record per thread: a library caller that encodes on several threads reads the
// failure of its own call, and no thread writes a record another one is reading.
thread_local LastError record = reserved_record();

}  // namespace

std::string_view error_prefix(ErrorCode code) {
  const std::int64_t index = std::int64_t{code} + 3;
  if (index < 0 || index >= std::int64_t{kPrefixes.size()}) return "TOLVEX_ERROR_UNKNOWN";
  return kPrefixes[static_cast<std::size_t>(index)];
}

ErrorCode set_error(ErrorCode code, std::string_view message, std::string_view detail) noexcept {
  try {
    record.code = code;
    record.message.assign(message);
    record.detail.assign(detail);
    return code;
  } catch (const std::bad_alloc&) {
    // Texts longer than the reserved room (a parser's diagnostics) had no memory to go to.
    record.code = ERROR_IO;
    record.detail.clear();
    record.message.clear();
    if (const std::string_view text = messages::kNotEnoughMemory.text;
        record.message.capacity() >= text.size())
      record.message.assign(text);
    return ERROR_IO;
  }
}

ErrorCode set_error_message(ErrorCode code, std::string_view message) noexcept {
  return set_error(code, message, {});
}

std::string error_line() {
  const std::string_view prefix = error_prefix(record.code);
  const std::string_view separator = (!record.detail.empty() && record.detail.front() == ' ') ? "" : " ";
  std::string line;
  line.reserve(prefix.size() + record.message.size() + separator.size() + record.detail.size());
  line.append(prefix).append(record.message).append(separator).append(record.detail);
  return line;
}

const LastError& last_error() { return record; }

Error recorded_error() {
  Error error;
  error.code = static_cast<Errc>(record.code);
  std::string_view name = error_prefix(record.code);
  if (name.ends_with(": ")) name.remove_suffix(2);
  error.name = name;
  error.message = record.message;
  error.detail = record.detail;
  error.line = error_line();
  return error;
}

Error error_of(ErrorCode code) {
  if (record.code != code) set_error_message(code, {});
  return recorded_error();
}

}  // namespace tolvex
