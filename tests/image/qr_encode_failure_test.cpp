// The QR encoder's failures against the error record, which qr, building on nothing, cannot reach:
// tested where both meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/error.h"
#include "qr/qr_encode.h"

namespace tolvex {
namespace {

const std::uint8_t* bytes(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

int encode(const std::string& text, QrBitMatrix& output) {
  return qr_encode_symbol(QrErrorCorrection::L, 0, bytes(text), static_cast<int>(text.size()), &output);
}

bool all_zero(const QrBitMatrix& output) {
  return std::all_of(output.begin(), output.end(), [](std::uint8_t byte) { return byte == 0; });
}

TEST(QrEncodeSymbol, FailuresLeaveNoDarkModuleAndNoErrorRecord) {
  set_error_message(ERROR_CHECKSUM, "earlier failure");
  QrBitMatrix output;
  // Each failing call follows a successful one, so that clearing the output is seen.
  const auto expect_failure = [&output](QrErrorCorrection level, int version, const std::uint8_t* text,
                                        int length) {
    ASSERT_EQ(encode("A1B", output), 21);
    EXPECT_EQ(qr_encode_symbol(level, version, text, length, &output), -1);
    EXPECT_TRUE(all_zero(output));
  };
  const std::string long_alphanumeric(4297, 'A');
  const std::string long_numeric(7090, '1');
  const std::string very_long(100000, '1');
  expect_failure(QrErrorCorrection::L, 0, bytes(std::string(1, '\0')), 0);
  expect_failure(QrErrorCorrection::L, 0, bytes(""), -1);
  expect_failure(QrErrorCorrection::L, 0, bytes(long_alphanumeric), 4297);
  expect_failure(QrErrorCorrection::L, 0, bytes(long_numeric), 7090);
  expect_failure(QrErrorCorrection::L, 0, bytes(very_long), 100000);
  expect_failure(static_cast<QrErrorCorrection>(4), 0, bytes("A1B"), 3);
  expect_failure(static_cast<QrErrorCorrection>(255), 0, bytes("A1B"), 3);
  expect_failure(QrErrorCorrection::L, 41, bytes("A1B"), 3);
  expect_failure(QrErrorCorrection::L, -1, bytes("A1B"), 3);
  expect_failure(QrErrorCorrection::L, 0, nullptr, 3);
  EXPECT_EQ(last_error().code, ERROR_CHECKSUM);
  EXPECT_EQ(last_error().message, "earlier failure");
}

}  // namespace
}  // namespace tolvex
