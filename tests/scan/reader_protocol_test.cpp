// The answer frame between caller and worker: what goes in comes out, and any damaged body
// is refused rather than read past its end.
#include <gtest/gtest.h>

#include "scan/reader_protocol.h"

namespace tolvex {
namespace {

ReaderAnswer codes_answer() {
  ReaderAnswer answer;
  answer.codes.resize(2);
  answer.codes[0] = {"0A1B2C", 3, true, ERROR_OK, "<Pay/>", ""};
  answer.codes[1] = {std::string("line\nwith\0zero", 14), 1, false, ERROR_BAD_FORMAT, "", "ERROR_BAD_FORMAT: x"};
  answer.retiring = true;
  return answer;
}

ReaderAnswer failure_answer() {
  ReaderAnswer answer;
  answer.failure = Error{Errc::illegal_argument, "", "Too many PDF pages. ", "detail", ""};
  return answer;
}

TEST(ReaderProtocol, AnswersComeBackAsTheyWent) {
  const std::optional<ReaderAnswer> codes = reader_answer_read(reader_answer_body(codes_answer()));
  ASSERT_TRUE(codes);
  EXPECT_FALSE(codes->failure);
  EXPECT_TRUE(codes->retiring);
  ASSERT_EQ(codes->codes.size(), 2u);
  const ReaderAnswer sentAnswer = codes_answer();
  for (std::size_t i = 0; i < 2; ++i) {
    const ScannedCode& sent = sentAnswer.codes[i];
    const ScannedCode& got = codes->codes[i];
    EXPECT_EQ(got.text, sent.text);
    EXPECT_EQ(got.page, sent.page);
    EXPECT_EQ(got.tolvex, sent.tolvex);
    EXPECT_EQ(got.code, sent.code);
    EXPECT_EQ(got.xml, sent.xml);
    EXPECT_EQ(got.error, sent.error);
  }

  const std::optional<ReaderAnswer> failure = reader_answer_read(reader_answer_body(failure_answer()));
  ASSERT_TRUE(failure && failure->failure);
  EXPECT_EQ(failure->failure->code, Errc::illegal_argument);
  EXPECT_EQ(failure->failure->message, "Too many PDF pages. ");
  EXPECT_EQ(failure->failure->detail, "detail");
  EXPECT_FALSE(failure->retiring);
  EXPECT_TRUE(failure->codes.empty());

  const std::optional<ReaderAnswer> none = reader_answer_read(reader_answer_body(ReaderAnswer{}));
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->codes.empty());
  EXPECT_FALSE(none->failure);
}

TEST(ReaderProtocol, DamagedBodiesAreRefused) {
  for (const ReaderAnswer& answer : {codes_answer(), failure_answer()}) {
    const std::string body = reader_answer_body(answer);
    for (std::size_t length = 0; length < body.size(); ++length) {
      EXPECT_FALSE(reader_answer_read(body.substr(0, length))) << "cut to " << length;
    }
    EXPECT_FALSE(reader_answer_read(body + "x")) << "a byte after the end";
  }
  std::string unknownKind = reader_answer_body(codes_answer());
  unknownKind[0] = 2;
  EXPECT_FALSE(reader_answer_read(unknownKind));
  // A count of codes far beyond what the body holds.
  std::string manyCodes = reader_answer_body(ReaderAnswer{});
  manyCodes.replace(2, 4, std::string("\xff\xff\xff\x0f", 4));
  EXPECT_FALSE(reader_answer_read(manyCodes));
  // A failure that claims success.
  std::string okFailure = reader_answer_body(failure_answer());
  okFailure.replace(2, 4, std::string(4, '\0'));
  EXPECT_FALSE(reader_answer_read(okFailure));
}

TEST(ReaderProtocol, FrameLengthsRoundTrip) {
  for (const std::uint64_t length : {0ull, 1ull, 255ull, 256ull, 128ull << 20, ~0ull}) {
    const std::string header = reader_frame_header(length);
    ASSERT_EQ(header.size(), kReaderFrameHeader);
    EXPECT_EQ(reader_frame_length(reinterpret_cast<const std::uint8_t*>(header.data())), length);
  }
}

}  // namespace
}  // namespace tolvex
