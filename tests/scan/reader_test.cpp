// Files read through the worker: each way a worker can fail gives its own error for that file,
// the next file is read by a fresh worker, and the caller's process is unaffected. Every test of
// this executable reads through the worker built with the test-only faults.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "scan/hostile_files.h"
#include "scan/pictures.h"
#include "tolvex/scan.hpp"

namespace tolvex {
namespace {

using test::Bytes;

const bool kReaderChosen = setenv("TOLVEX_READER", TOLVEX_READER_FAULTS_PATH, 1) == 0;

Bytes bytes_of(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes fault(std::string_view name) { return bytes_of("TOLVEX-READER-FAULT:" + std::string(name)); }

const Bytes& good_png() {
  static const Bytes png = test::png_of(test::plain_code(test::example_text("pay-single.xml"), 4).get());
  return png;
}

// The next file after a failure reads as if nothing had happened.
void expect_next_file_reads() {
  const Result<std::vector<ScannedCode>> codes = scan(good_png());
  ASSERT_TRUE(codes) << codes.error().line;
  ASSERT_EQ(codes->size(), 1u);
  EXPECT_EQ((*codes)[0].code, ERROR_OK);
  EXPECT_EQ((*codes)[0].text, test::example_text("pay-single.xml"));
}

long peak_memory_kib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Fault {
  const char* name;
  Bytes file;
  const char* line;
  int timeout = 2;  // seconds; touching a gibibyte takes a while on a busy machine
};

TEST(ReadingWorker, EachFaultGivesItsErrorAndTheNextFileReads) {
  ASSERT_TRUE(kReaderChosen);
  std::vector<Fault> faults = {
      {"killed by a signal", fault("crash"), "ERROR_IO: File could not be read: the reader stopped (signal 11).  "},
      {"loops", fault("loop"), "ERROR_IO: File could not be read: it took longer than 2 s.  "},
      {"forbidden system call", fault("forbidden"),
       "ERROR_IO: File could not be read: the reader made a forbidden system call.  "},
      {"answers garbage", fault("garbage"), "ERROR_IO: File could not be read: the reader gave no answer.  "},
      {"ends without answer", fault("silent"), "ERROR_IO: File could not be read: the reader gave no answer.  "},
      {"opening a file is refused", fault("open"),
       "ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected PNG, JPEG, PDF, TIFF, WebP, HEIC or BMP.  "},
  };
#if !defined(__SANITIZE_ADDRESS__)
  faults.push_back({"exceeds its memory", fault("memory"), "ERROR_IO: Not enough memory.  ", 60});
#endif
  for (const Fault& each : faults) {
    SCOPED_TRACE(each.name);
    ScanOptions options;
    options.timeout = std::chrono::seconds(each.timeout);
    const Result<std::vector<ScannedCode>> codes = scan(each.file, options);
    ASSERT_FALSE(codes);
    EXPECT_EQ(codes.error().line, each.line);
    expect_next_file_reads();
  }
}

TEST(ReadingWorker, TheOlderEntriesReadThroughTheWorkerToo) {
  const Bytes crash = fault("crash");
  std::vector<ScannedCode> codes(1);
  EXPECT_EQ(scan_memory(crash.data(), crash.size(), &codes), ERROR_IO);
  EXPECT_EQ(error_line(), "ERROR_IO: File could not be read: the reader stopped (signal 11).  ");
  EXPECT_EQ(codes.size(), 1u) << "the output is written only on success";
  ASSERT_EQ(scan_memory(good_png().data(), good_png().size(), &codes), ERROR_OK);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].code, ERROR_OK);
}

TEST(ReadingWorker, InProcessReadingGivesTheSameResults) {
  std::vector<std::pair<std::string, Bytes>> files = {
      {"PNG", good_png()},
      {"JPEG", test::jpeg_of(test::plain_code(test::example_text("invoice.xml"), 4).get(), 90)},
      {"PDF", test::pdf_of({{{test::plain_code(test::example_text("pay-single.xml"), 4).get(), 20, 30, 40}}})},
      {"foreign code", test::png_of(test::plain_code("https://example.com/x", 4).get())},
      {"empty", {}},
  };
  for (test::Hostile& hostile : test::hostile_files()) files.emplace_back(hostile.name, std::move(hostile.bytes));
  ScanOptions here;
  here.isolated = false;
  for (const auto& [name, file] : files) {
    SCOPED_TRACE(name);
    const Result<std::vector<ScannedCode>> isolated = scan(file);
    const Result<std::vector<ScannedCode>> inProcess = scan(file, here);
    ASSERT_EQ(isolated.has_value(), inProcess.has_value()) << (isolated ? inProcess.error().line : isolated.error().line);
    if (!isolated) {
      EXPECT_EQ(isolated.error().line, inProcess.error().line);
      EXPECT_EQ(isolated.error().code, inProcess.error().code);
      continue;
    }
    ASSERT_EQ(isolated->size(), inProcess->size());
    for (std::size_t i = 0; i < isolated->size(); ++i) {
      EXPECT_EQ((*isolated)[i].text, (*inProcess)[i].text);
      EXPECT_EQ((*isolated)[i].page, (*inProcess)[i].page);
      EXPECT_EQ((*isolated)[i].tolvex, (*inProcess)[i].tolvex);
      EXPECT_EQ((*isolated)[i].code, (*inProcess)[i].code);
      EXPECT_EQ((*isolated)[i].xml, (*inProcess)[i].xml);
      EXPECT_EQ((*isolated)[i].error, (*inProcess)[i].error);
    }
  }
}

TEST(ReadingWorker, AMissingWorkerIsNamed) {
  setenv("TOLVEX_READER", "/nonexistent/tolvex-reader", 1);
  const Result<std::vector<ScannedCode>> codes = scan(good_png());
  setenv("TOLVEX_READER", TOLVEX_READER_FAULTS_PATH, 1);
  ASSERT_FALSE(codes);
  EXPECT_EQ(codes.error().line, "ERROR_IO: Cannot start the reader.  /nonexistent/tolvex-reader");
  expect_next_file_reads();
}

TEST(ReadingWorker, ThreadsReadAtOnceWhileOthersFail) {
  std::vector<std::thread> threads;
  std::vector<int> read(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &read] {
      for (int i = 0; i < 3; ++i) {
        const Result<std::vector<ScannedCode>> crashed = scan(fault("crash"));
        const Result<std::vector<ScannedCode>> codes = scan(good_png());
        if (!crashed && codes && codes->size() == 1 && (*codes)[0].code == ERROR_OK) ++read[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(read, std::vector<int>(4, 3));
}

// The files that took the caller's memory or time in its own process end within the bound,
// each with an error, and the caller's peak memory does not grow by what they would take. Those
// whose claims can be read before decoding fail at once with their own error.
TEST(ReadingWorker, HostileDocumentsEndWithinTheBound) {
  struct Case {
    std::string name;
    Bytes file;
    const char* line;  // nullptr: the worker's bound ends it, or poppler gives up and draws nothing
  };
  const Case cases[] = {
      {"image of 30000 x 30000 pixels", test::pdf_of_huge_image(false),
       "ERROR_ILLEGAL_ARGUMENT: PDF image too large.  "},
      {"JBIG2 image of 30000 x 30000 pixels", test::pdf_of_huge_image(true),
       "ERROR_ILLEGAL_ARGUMENT: PDF image too large.  "},
      {"progressive JPEG of 5000 scans over 8000 x 8000 pixels", test::jpeg_of_many_scans(),
       "ERROR_ILLEGAL_ARGUMENT: Too many JPEG scans.  "},
      {"forms drawing forms six levels deep", test::pdf_of_nested_forms(), nullptr},
      {"100 blank pages of 1920 points", test::blank_pdf(100, 1920, 1920), nullptr},
  };
  ScanOptions options;
  options.timeout = std::chrono::seconds(3);
  const long before = peak_memory_kib();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result<std::vector<ScannedCode>> codes = scan(c.file, options);
    if (c.line != nullptr) {
      ASSERT_FALSE(codes);
      EXPECT_EQ(codes.error().line, c.line);
    } else if (codes) {
      EXPECT_TRUE(codes->empty());
    } else {
      EXPECT_EQ(codes.error().code, Errc::io) << codes.error().line;
    }
    expect_next_file_reads();
  }
  EXPECT_LT(peak_memory_kib() - before, 256 * 1024);
}

}  // namespace
}  // namespace tolvex
