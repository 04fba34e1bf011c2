#include "base/memory_stream.h"

#include <gtest/gtest.h>

namespace tolvex {
namespace {

TEST(MemoryStream, GrowsByTheRequestInWholeKibibytesPlusOne) {
  MemoryStream stream = memory_stream_new();
  EXPECT_EQ(stream.capacity(), 1024u);
  const std::string first(1500, 'a');
  ASSERT_EQ(memory_stream_write(stream, first.data(), first.size()), 1500u);
  EXPECT_EQ(stream.capacity(), 3u * 1024);
  const std::string second(3000, 'b');
  ASSERT_EQ(memory_stream_write(stream, second.data(), second.size()), 3000u);
  EXPECT_EQ(stream.capacity(), 6u * 1024);
  EXPECT_EQ(memory_stream_take_text(stream), first + second);
  EXPECT_FALSE(stream.failed());
}

TEST(MemoryStream, ReadsFromThePositionNeverPastTheEnd) {
  MemoryStream stream;
  memory_stream_print(stream, "hello world");
  EXPECT_EQ(memory_stream_size(stream), 0u);
  memory_stream_rewind(stream);
  EXPECT_EQ(memory_stream_size(stream), 11u);
  char word[6] = {};
  ASSERT_EQ(memory_stream_read(stream, word, 5), 5u);
  EXPECT_STREQ(word, "hello");
  char rest[32] = {};
  EXPECT_EQ(memory_stream_read(stream, rest, sizeof rest), 6u);
  EXPECT_STREQ(rest, " world");
  EXPECT_EQ(memory_stream_read(stream, rest, sizeof rest), 0u);
}

TEST(MemoryStream, OverwritingKeepsTheHighWaterMark) {
  MemoryStream stream;
  memory_stream_print(stream, "abcdef");
  memory_stream_rewind(stream);
  memory_stream_print(stream, "XY");
  EXPECT_EQ(memory_stream_take_text(stream), "XYcdef");
}

TEST(MemoryStream, RefusedWriteChangesNothingAndIsRemembered) {
  MemoryStream stream;
  memory_stream_print(stream, "kept");
  static const char byte = 'x';
  // A write that would pass 4 GiB cannot be held in 32-bit positions.
  EXPECT_EQ(memory_stream_write(stream, &byte, std::size_t{UINT32_MAX} + 1), 0u);
  EXPECT_TRUE(stream.failed());
  EXPECT_EQ(memory_stream_take_text(stream), "kept");
}

}  // namespace
}  // namespace tolvex
