// MemoryStream: a growable in-memory byte stream with one position for writing and reading.
// XML writing builds its text in one; PNG output to memory collects cairo's bytes in one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

class MemoryStream {
 public:
  static constexpr std::uint32_t kInitialCapacity = 1024;

  MemoryStream();

  // Writes n bytes at the position and returns n, or 0 when the buffer cannot grow (nothing is
  // written then, and the stream remembers that a write was lost).
  std::size_t write(const void* bytes, std::size_t n);
  // Copies at most n bytes from the position, never past the end; returns how many.
  std::size_t read(void* destination, std::size_t n);
  // Bytes between the position and the end.
  std::uint32_t size() const { return end_ - position_; }
  void rewind() { position_ = 0; }

  std::uint32_t capacity() const { return static_cast<std::uint32_t>(data_.size()); }
  std::uint32_t position() const { return position_; }
  // True once any write was refused; what the stream holds is then incomplete.
  bool failed() const { return failed_; }
  // Marks the stream incomplete, for writers that lost bytes on the way to it.
  void mark_failed() { failed_ = true; }

 private:
  bool grow_for(std::size_t n);

  std::vector<std::uint8_t> data_;  // its size is the capacity
  std::uint32_t end_ = 0;
  std::uint32_t position_ = 0;
  bool failed_ = false;
};

MemoryStream memory_stream_new();
std::size_t memory_stream_write(MemoryStream& stream, const void* bytes, std::size_t n);
std::size_t memory_stream_read(MemoryStream& stream, void* destination, std::size_t n);
std::uint32_t memory_stream_size(const MemoryStream& stream);
void memory_stream_rewind(MemoryStream& stream);
// Writes text (without a terminator); the formatted numbers of XML writing come through here.
std::size_t memory_stream_print(MemoryStream& stream, std::string_view text);
// Everything from the start to the end as a text; rewinds first.
std::string memory_stream_take_text(MemoryStream& stream);

}  // namespace tolvex
