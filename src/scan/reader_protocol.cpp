#include "scan/reader_protocol.h"

#include <cstring>

namespace tolvex {
namespace {

constexpr std::uint8_t kCodesKind = 0;
constexpr std::uint8_t kFailureKind = 1;

void put_integer(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void put_text(std::string& out, std::string_view text) {
  put_integer(out, text.size(), 4);
  out.append(text);
}

// Reads fields from the front of a body; once a read runs past the end, every later read
// fails too, so a caller checks once at the end.
class BodyReader {
 public:
  explicit BodyReader(std::string_view body) : rest_(body) {}

  std::uint64_t integer(int bytes) {
    if (!take(static_cast<std::size_t>(bytes))) return 0;
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(taken_[i]);
    return value;
  }

  std::string text() {
    const std::uint64_t length = integer(4);
    if (!take(length)) return {};
    return std::string(taken_);
  }

  [[nodiscard]] bool whole() const { return ok_ && rest_.empty(); }
  [[nodiscard]] bool ok() const { return ok_; }

 private:
  bool take(std::uint64_t length) {
    if (!ok_ || length > rest_.size()) {
      ok_ = false;
      return false;
    }
    taken_ = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return true;
  }

  std::string_view rest_;
  std::string_view taken_;
  bool ok_ = true;
};

}  // namespace

std::string reader_frame_header(std::uint64_t bodyLength) {
  std::string header;
  put_integer(header, bodyLength, 8);
  return header;
}

std::uint64_t reader_frame_length(const std::uint8_t* header) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | header[i];
  return value;
}

std::string reader_answer_body(const ReaderAnswer& answer) {
  std::string body;
  body.push_back(static_cast<char>(answer.failure ? kFailureKind : kCodesKind));
  body.push_back(static_cast<char>(answer.retiring ? 1 : 0));
  if (answer.failure) {
    put_integer(body, static_cast<std::uint32_t>(answer.failure->code), 4);
    put_text(body, answer.failure->message);
    put_text(body, answer.failure->detail);
    return body;
  }
  put_integer(body, answer.codes.size(), 4);
  for (const ScannedCode& code : answer.codes) {
    put_text(body, code.text);
    put_integer(body, static_cast<std::uint32_t>(code.page), 4);
    body.push_back(static_cast<char>(code.tolvex ? 1 : 0));
    put_integer(body, static_cast<std::uint32_t>(code.code), 4);
    put_text(body, code.xml);
    put_text(body, code.error);
  }
  return body;
}

std::optional<ReaderAnswer> reader_answer_read(std::string_view body) {
  BodyReader reader(body);
  ReaderAnswer answer;
  const std::uint64_t kind = reader.integer(1);
  const std::uint64_t retiring = reader.integer(1);
  if (!reader.ok() || kind > kFailureKind || retiring > 1) return std::nullopt;
  answer.retiring = retiring == 1;
  if (kind == kFailureKind) {
    Error failure;
    failure.code = static_cast<Errc>(static_cast<std::int32_t>(reader.integer(4)));
    failure.message = reader.text();
    failure.detail = reader.text();
    if (!reader.whole() || failure.code == Errc::ok) return std::nullopt;
    answer.failure = std::move(failure);
    return answer;
  }
  const std::uint64_t count = reader.integer(4);
  // Each code takes at least 21 bytes, so a count the body cannot hold is refused before any
  // room is made for it.
  if (!reader.ok() || count > body.size() / 21) return std::nullopt;
  answer.codes.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    ScannedCode code;
    code.text = reader.text();
    code.page = static_cast<std::int32_t>(reader.integer(4));
    const std::uint64_t tolvex = reader.integer(1);
    code.code = static_cast<ErrorCode>(static_cast<std::int32_t>(reader.integer(4)));
    code.xml = reader.text();
    code.error = reader.text();
    if (!reader.ok() || tolvex > 1) return std::nullopt;
    code.tolvex = tolvex == 1;
    answer.codes.push_back(std::move(code));
  }
  if (!reader.whole()) return std::nullopt;
  return answer;
}

}  // namespace tolvex
