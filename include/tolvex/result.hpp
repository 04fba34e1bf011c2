// What every entry of the C++ interface gives back: a value, or the error that stopped it.
//
//   tolvex::Result<std::string> text = tolvex::encode_xml(xml);
//   if (!text) std::puts(text.error().line.c_str());
//
// The shape is that of std::expected, which the library's language mode does not offer yet; no
// entry throws for a failure it expects, nor for running out of memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace tolvex {

// The error codes as the library's own vocabulary; the numbers are those of the tools' exit
// statuses and of the C interface's tolvex_error.
enum class Errc : std::int32_t {
  ok = 0,
  io = -3,
  null_pointer = -2,
  illegal_argument = -1,
  base32hex = 1,
  checksum = 2,
  compression = 3,
  invalid_value = 4,
  bad_format = 5,
  max_priority_reached = 6,
  sequence_limit_exceeded = 7,
  unknown_document = 8,
  xml = 9,
  missing_logo = 10,
  qr = 11,
};

// A failure as the tools report it.
struct Error {
  Errc code = Errc::ok;
  std::string name;     // "ERROR_XML", as the error line opens
  std::string message;  // the fixed message (or, for a field, its element name)
  std::string detail;   // what the message is about; may be empty
  std::string line;     // exactly the line the tools print, without a line end
};

// A value of T, or the Error that kept it from being made.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT: implicit by design

  [[nodiscard]] bool has_value() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  // The value; only when has_value().
  [[nodiscard]] T& value() & { return std::get<0>(state_); }
  [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
  [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The error; only when !has_value().
  [[nodiscard]] const Error& error() const& { return std::get<1>(state_); }
  [[nodiscard]] Error&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, Error> state_;
};

// Success without a value, or the Error.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit by design

  [[nodiscard]] bool has_value() const noexcept { return !failed_; }
  explicit operator bool() const noexcept { return has_value(); }
  [[nodiscard]] const Error& error() const& { return error_; }
  [[nodiscard]] Error&& error() && { return std::move(error_); }

 private:
  Error error_;
  bool failed_ = false;
};

}  // namespace tolvex
