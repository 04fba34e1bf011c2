// Running out of memory at every C++ allocation a C entry makes, one after another: each call
// gives TOLVEX_ERROR_IO "Not enough memory. " or succeeds, never throws or crashes, and the
// library works as before afterwards. The replaced operator new is the program's, so the
// shared library's allocations go through it too.
#include <gtest/gtest.h>
#include <tolvex/tolvex.h>
#include <tolvex/tolvex.hpp>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <string>

namespace {
// The allocation that fails, counted down; negative: none fails.
thread_local long allocations_until_failure = -1;
thread_local long allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (allocations_until_failure == 0) {
    allocations_until_failure = -1;
    throw std::bad_alloc();
  }
  if (allocations_until_failure > 0) --allocations_until_failure;
  if (void* pointer = std::malloc(size ? size : 1)) return pointer;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
// The allocator is malloc underneath: freeing with free is the matching call.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* pointer) noexcept { std::free(pointer); }
void operator delete[](void* pointer) noexcept { std::free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { std::free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { std::free(pointer); }

namespace {

std::string example(const char* name) {
  std::ifstream in(std::string(TOLVEX_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string last_message() {
  char* message = tolvex_last_error_message();
  std::string text = message ? message : "";
  tolvex_free(message);
  return text;
}

// Runs call once without failures to count its allocations, then once failing at each of them.
void fail_each_allocation(const std::function<int()>& call) {
  allocations = 0;
  ASSERT_EQ(call(), TOLVEX_OK);
  const long needed = allocations;
  ASSERT_GT(needed, 0);
  int failures = 0;
  for (long n = 0; n < needed; ++n) {
    allocations_until_failure = n;
    const int code = call();
    allocations_until_failure = -1;
    if (code == TOLVEX_OK) continue;
    ++failures;
    ASSERT_EQ(code, TOLVEX_ERROR_IO) << "allocation " << n;
    ASSERT_EQ(last_message(), "Not enough memory. ") << "allocation " << n;
  }
  EXPECT_GT(failures, 0);
  EXPECT_EQ(call(), TOLVEX_OK);
}

TEST(FailingAllocation, EncodingDecodingAndFieldsReportMemory) {
  const std::string xml = example("invoice.xml");
  char* reference = nullptr;
  ASSERT_EQ(tolvex_encode_xml(xml.data(), xml.size(), &reference, nullptr), TOLVEX_OK);
  const std::string expected = reference;
  tolvex_free(reference);

  fail_each_allocation([&] {
    char* text = nullptr;
    const int code = tolvex_encode_xml(xml.data(), xml.size(), &text, nullptr);
    if (code == TOLVEX_OK) {
      EXPECT_EQ(expected, text);
    }
    tolvex_free(text);
    return code;
  });
  fail_each_allocation([&] {
    tolvex_document* document = nullptr;
    char* amount = nullptr;
    int code = tolvex_decode_document(expected.data(), expected.size(), &document);
    if (code == TOLVEX_OK) code = tolvex_document_value(document, "MonetarySummary/PayableAmount", &amount);
    tolvex_free(amount);
    tolvex_document_free(document);
    return code;
  });
}

TEST(FailingAllocation, PicturesAndTheLogoCacheReportMemory) {
  const std::string logo = std::string(TOLVEX_SOURCE_DIR) + "/logo/";
  tolvex_logo_cache_set_budget(1 << 24);
  fail_each_allocation([&] {
    unsigned char* png = nullptr;
    int32_t size = 0;
    const int code = tolvex_qr_logo_write_memory("0000HELLO", TOLVEX_LOGO_BOTTOM, TOLVEX_LOGO_DARK, 1,
                                                 logo.c_str(), TOLVEX_FORMAT_PNG, &png, &size);
    tolvex_free(png);
    return code;
  });
  tolvex_logo_cache_free();
}

// The C++ entries give a Result whatever allocation fails: never an exception.
TEST(FailingAllocation, TheCppEntriesGiveAnErrorAndNoException) {
  const std::string xml = example("pay-single.xml");
  const std::string logo = std::string(TOLVEX_SOURCE_DIR) + "/logo/";
  const auto as_code = [](const auto& result) {
    if (result) return static_cast<int>(TOLVEX_OK);
    EXPECT_EQ(result.error().line, "ERROR_IO: Not enough memory.  ");
    return static_cast<int>(result.error().code);
  };
  fail_each_allocation([&] { return as_code(tolvex::encode_xml(xml)); });
  const tolvex::Result<std::string> text = tolvex::encode_xml(xml);
  ASSERT_TRUE(text);
  fail_each_allocation([&] {
    const auto document = tolvex::decode(*text);
    if (!document) return as_code(document);
    return as_code(tolvex::to_xml(**document));
  });
  // The options are the caller's: made once, outside the allocations that fail.
  const tolvex::PictureOptions withLogo{.logo = tolvex::LogoOptions{.directory = logo}};
  fail_each_allocation([&] { return as_code(tolvex::render(*text, withLogo)); });
}

}  // namespace
