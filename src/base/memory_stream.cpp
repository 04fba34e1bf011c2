#include "base/memory_stream.h"

#include <cstring>
#include <new>

namespace tolvex {

MemoryStream::MemoryStream() : data_(kInitialCapacity) {}

bool MemoryStream::grow_for(std::size_t n) {
  // Grows by the request rounded down to whole KiB plus one more KiB, within 32-bit sizes.
  const std::uint64_t wanted = std::uint64_t{capacity()} + (n - n % 1024) + 1024;
  if (wanted > UINT32_MAX) return false;
  try {
    data_.resize(static_cast<std::size_t>(wanted));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

std::size_t MemoryStream::write(const void* bytes, std::size_t n) {
  if (std::uint64_t{position_} + n > capacity() && !grow_for(n)) {
    failed_ = true;
    return 0;
  }
  if (n == 0) return 0;
  std::memcpy(data_.data() + position_, bytes, n);
  position_ += static_cast<std::uint32_t>(n);
  if (position_ > end_) end_ = position_;
  return n;
}

std::size_t MemoryStream::read(void* destination, std::size_t n) {
  const std::size_t available = end_ - position_;
  if (n > available) n = available;
  if (n == 0) return 0;
  std::memcpy(destination, data_.data() + position_, n);
  position_ += static_cast<std::uint32_t>(n);
  return n;
}

MemoryStream memory_stream_new() { return MemoryStream{}; }

std::size_t memory_stream_write(MemoryStream& stream, const void* bytes, std::size_t n) {
  return stream.write(bytes, n);
}

std::size_t memory_stream_read(MemoryStream& stream, void* destination, std::size_t n) {
  return stream.read(destination, n);
}

std::uint32_t memory_stream_size(const MemoryStream& stream) { return stream.size(); }

void memory_stream_rewind(MemoryStream& stream) { stream.rewind(); }

std::size_t memory_stream_print(MemoryStream& stream, std::string_view text) {
  return stream.write(text.data(), text.size());
}

std::string memory_stream_take_text(MemoryStream& stream) {
  stream.rewind();
  std::string text(stream.size(), '\0');
  stream.read(text.data(), text.size());
  return text;
}

}  // namespace tolvex
