#include "codec/compression.h"

#include <lzma.h>

#include "base/messages.h"

namespace tolvex {
namespace {

constexpr std::uint32_t kPreset = 9;
constexpr std::uint32_t kDictionarySize = 131072;
constexpr std::uint32_t kLiteralContextBits = 3;
constexpr std::uint32_t kLiteralPositionBits = 0;
constexpr std::uint32_t kPositionBits = 2;
constexpr std::uint32_t kNiceLength = 32;
constexpr std::size_t kLengthFieldBytes = 2;
constexpr std::size_t kLongestPayload = 0xFFFF;

// The fixed stream properties; the decoder reads only lc, lp, pb and the dictionary size.
lzma_options_lzma stream_options() {
  lzma_options_lzma options{};
  lzma_lzma_preset(&options, kPreset);
  options.dict_size = kDictionarySize;
  options.lc = kLiteralContextBits;
  options.lp = kLiteralPositionBits;
  options.pb = kPositionBits;
  options.nice_len = kNiceLength;
  // With LZMA_FILTER_LZMA1EXT and no flags the encoder writes no end marker.
  options.ext_flags = 0;
  return options;
}

// An lzma_stream that releases its coder when it goes.
class LzmaStream {
 public:
  LzmaStream() = default;
  LzmaStream(const LzmaStream&) = delete;
  LzmaStream& operator=(const LzmaStream&) = delete;
  ~LzmaStream() { lzma_end(&stream_); }

  lzma_stream* get() { return &stream_; }

 private:
  lzma_stream stream_ = LZMA_STREAM_INIT;
};

// Kept per thread: initialising it again reuses its match finder tables, whose allocation and
// set-up would otherwise cost more than compressing a payload of a few hundred bytes.
thread_local LzmaStream encoder;

ErrorCode compression_error() { return report(messages::kCompressionError); }

ErrorCode decompression_error() { return report(messages::kDecompressionError); }

}  // namespace

std::size_t compress_bound(std::size_t n) { return n + n / 3 + 130; }

ErrorCode compress_payload(const std::uint8_t* payload, std::size_t length, std::uint8_t* destination,
                           std::size_t* capacity) {
  if (capacity == nullptr || destination == nullptr || *capacity < kLengthFieldBytes)
    return compression_error();
  if ((payload == nullptr && length != 0) || length > kLongestPayload) return compression_error();

  lzma_options_lzma options = stream_options();
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream* stream = encoder.get();
  if (lzma_raw_encoder(stream, filters) != LZMA_OK) return compression_error();

  const std::size_t room = *capacity - kLengthFieldBytes;
  stream->next_in = payload;
  stream->avail_in = length;
  stream->next_out = destination + kLengthFieldBytes;
  stream->avail_out = room;
  lzma_ret result;
  do {
    result = lzma_code(stream, LZMA_FINISH);
  } while (result == LZMA_OK && stream->avail_out > 0);
  if (result != LZMA_STREAM_END) return compression_error();

  destination[0] = static_cast<std::uint8_t>(length & 0xFF);
  destination[1] = static_cast<std::uint8_t>(length >> 8);
  *capacity = kLengthFieldBytes + room - stream->avail_out;
  return ERROR_OK;
}

ErrorCode decompress_payload(const std::uint8_t* source, std::size_t length,
                             std::vector<std::uint8_t>* bytes) {
  if (source == nullptr || length < kLengthFieldBytes) {
    return report(messages::kInvalidCompressedData);
  }
  std::vector<std::uint8_t> decoded(source[0] | (std::size_t{source[1]} << 8));
  if (!decoded.empty()) {
    // Plain LZMA1 with an unknown size: it stops when the output is full, so a stream with or
    // without an end marker, and any input after the last needed byte, are all read alike.
    lzma_options_lzma options = stream_options();
    const lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    LzmaStream decoder;
    lzma_stream* stream = decoder.get();
    if (lzma_raw_decoder(stream, filters) != LZMA_OK) return decompression_error();
    stream->next_in = source + kLengthFieldBytes;
    stream->avail_in = length - kLengthFieldBytes;
    stream->next_out = decoded.data();
    stream->avail_out = decoded.size();
    // Input that ends early stalls the decoder, which then reports LZMA_BUF_ERROR.
    lzma_ret result;
    do {
      result = lzma_code(stream, LZMA_RUN);
    } while (result == LZMA_OK && stream->avail_out > 0);
    if ((result != LZMA_OK && result != LZMA_STREAM_END) || stream->avail_out > 0)
      return decompression_error();
  }
  if (bytes != nullptr) *bytes = std::move(decoded);
  return ERROR_OK;
}

}  // namespace tolvex
