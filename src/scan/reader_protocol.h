// What the caller and the reading worker say to each other over the worker's standard input
// and output: one request (a file's bytes) and one answer (the codes found, or the failure as
// recorded), each a frame of a fixed-size length and a body. A frame is plain bytes, so the
// worker holds no state between files beyond what reading left in its libraries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/result.hpp"
#include "tolvex/scan.hpp"

namespace tolvex {

// The largest answer a caller accepts: codes of at most 100 pages, each a few KiB of XML.
inline constexpr std::size_t kReaderMaxAnswerBytes = 64u << 20;

// The worker's answer to one file.
struct ReaderAnswer {
  std::optional<Error> failure;    // the failure recorded while reading; absent on success
  std::vector<ScannedCode> codes;  // the codes found, when there is no failure
  bool retiring = false;           // the worker ends after this answer (its CPU allowance is half used)
};

// A frame's first eight bytes: the body's length, little-endian.
inline constexpr std::size_t kReaderFrameHeader = 8;
std::string reader_frame_header(std::uint64_t bodyLength);
std::uint64_t reader_frame_length(const std::uint8_t* header);

// The answer's body and back. Reading gives nothing for a body that is cut short, carries
// bytes after its end or holds an unknown kind: the worker's answer is untrusted as well.
std::string reader_answer_body(const ReaderAnswer& answer);
std::optional<ReaderAnswer> reader_answer_read(std::string_view body);

}  // namespace tolvex
