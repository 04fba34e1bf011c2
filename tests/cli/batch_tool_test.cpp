// tolvexbatch as a script meets it: the pictures tolvexqr writes, failures one line each,
// collisions refused up front, the same files from any number of threads, and an interrupt
// that leaves only whole files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tolvex/encode.hpp"
#include "support/decoders.h"
#include "support/process.h"

extern char** environ;

namespace tolvex {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::run_command;
using test::shell_quote;
using test::TempDir;
using test::write_file;

const std::string kBatch = shell_quote(TOLVEX_BATCH_PATH);
const std::string kCli = shell_quote(TOLVEX_CLI_PATH);
const std::string kSourceDir = TOLVEX_SOURCE_DIR;
const std::string kLogo = "-l=" + kSourceDir + "/logo/";

const std::vector<std::string> kExamples = {
    "invoice-advance", "invoice-credit-note", "invoice-debit-note", "invoice-items",      "invoice-proforma",
    "invoice",         "pay-direct-debit",    "pay-single",         "pay-standing-order",
};

std::string example(const std::string& name) { return read_file(kSourceDir + "/examples/" + name + ".xml"); }

std::string encoded(const std::string& name) {
  const std::string xml = example(name);
  std::string text;
  EXPECT_EQ(encode_xml(xml.data(), xml.size(), &text), ERROR_OK) << name;
  return text;
}

// The files of a directory by name, with their bytes.
std::map<std::string, std::string> files_in(const std::string& directory) {
  std::map<std::string, std::string> files;
  if (!fs::is_directory(directory)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    files[entry.path().filename().string()] = read_file(entry.path().string());
  }
  return files;
}

std::vector<std::string> names_in(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files_in(directory)) names.push_back(name);
  return names;
}

// What tolvexqr prints on standard error for the file with the options, without its line end.
std::string tolvexqr_error_line(const std::string& options, const std::string& file) {
  const TempDir scratch;
  const test::ProcessResult result =
      run_command(kCli + " " + options + " -f=" + shell_quote(scratch.file("x.png")), file);
  EXPECT_NE(result.status, 0) << file;
  EXPECT_FALSE(result.err.empty());
  return result.err.empty() ? "" : result.err.substr(0, result.err.size() - 1);
}

test::ProcessResult batch(const std::string& arguments, const std::string& stdinFile = "") {
  return run_command(kBatch + " " + arguments, stdinFile);
}

TEST(BatchTool, MixedDirectoryGivesTheGoodPicturesAndOneLineForEachBadDocument) {
  const TempDir work;
  const std::string in = work.file("in");
  fs::create_directories(in + "/nested");
  write_file(in + "/pay-single.xml", example("pay-single"));
  write_file(in + "/Invoice.XML", example("invoice"));
  write_file(in + "/items.txt", encoded("invoice-items"));
  write_file(in + "/broken.xml", "<Pay><Payment>");
  write_file(in + "/empty.xml", "");
  write_file(in + "/garbage.txt", "not base32hex!");
  write_file(in + "/notes.md", example("pay-single"));
  write_file(in + "/nested/inner.xml", example("pay-single"));
  const std::string out = work.file("out/pictures");

  const auto result = batch(kLogo + " -o=" + shell_quote(out) + " " + shell_quote(in));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(names_in(out), (std::vector<std::string>{"Invoice.png", "items.png", "pay-single.png"}));
  // Directory entries in name order; each line names the file and carries tolvexqr's own line.
  const std::string expected =
      in + "/broken.xml: " + tolvexqr_error_line(kLogo, in + "/broken.xml") + "\n" +  //
      in + "/empty.xml: " + tolvexqr_error_line(kLogo, in + "/empty.xml") + "\n" +    //
      in + "/garbage.txt: " + tolvexqr_error_line(kLogo + " -i=base32hex", in + "/garbage.txt") + "\n" +
      "Written 3 of 6 pictures to " + out + "; 3 failed.\n";
  EXPECT_EQ(result.err, expected);

  // A successful batch exits with 0, and -R takes the subdirectory along.
  const std::string all = work.file("all");
  const auto good = batch(kLogo + " -R -o=" + shell_quote(all) + " " + shell_quote(in + "/pay-single.xml") +
                          " " + shell_quote(in + "/nested"));
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.err, "Written 2 of 2 pictures to " + all + "; 0 failed.\n");
  EXPECT_EQ(names_in(all), (std::vector<std::string>{"inner.png", "pay-single.png"}));
}

TEST(BatchTool, PicturesAreThoseOfTolvexqrByteForByte) {
  const TempDir work;
  const std::string in = work.file("in");
  fs::create_directories(in);
  for (const std::string& name : kExamples) write_file(in + "/" + name + ".xml", example(name));
  write_file(in + "/text.txt", encoded("invoice-proforma"));

  const struct {
    std::string options;
    std::string extension;
  } cases[] = {
      {kLogo, "png"},
      {kLogo + " -t=svg -r=left -v=gray", "svg"},
      {kLogo + " -t=PDF --no_frame -v=light", "pdf"},
      {"--no_logo -s=300", "png"},
      {"--no_logo -t=svg", "svg"},
      {"--no_logo -s=123 -t=pdf", "pdf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string out = work.file("out-" + c.extension);
    fs::remove_all(out);
    const auto result = batch(c.options + " -j=2 -o=" + shell_quote(out) + " " + shell_quote(in));
    ASSERT_EQ(result.status, 0) << result.err;
    const auto pictures = files_in(out);
    ASSERT_EQ(pictures.size(), kExamples.size() + 1);
    for (const auto& [name, bytes] : pictures) {
      const std::string stem = fs::path(name).stem().string();
      ASSERT_EQ(fs::path(name).extension(), "." + c.extension);
      const std::string source = stem == "text" ? in + "/text.txt" : in + "/" + stem + ".xml";
      const std::string kind = stem == "text" ? " -i=base32hex" : "";
      const std::string reference = work.file("reference." + c.extension);
      const auto single =
          run_command(kCli + " " + c.options + kind + " -f=" + shell_quote(reference), source);
      ASSERT_EQ(single.status, 0) << single.err;
      // cairo numbers SVG elements per process; everything else must be identical.
      if (c.extension == "svg") {
        EXPECT_EQ(test::without_cairo_ids(bytes), test::without_cairo_ids(read_file(reference))) << name;
      } else {
        EXPECT_TRUE(bytes == read_file(reference)) << name;
      }
    }
  }
}

// Many documents named in several ways: the same files whatever the number of threads.
TEST(BatchTool, OneThreadAndFourGiveTheSameFilesAndLines) {
  const TempDir work;
  const std::string in = work.file("in");
  fs::create_directories(in);
  for (int i = 0; i < 120; ++i) {
    const std::string& name = kExamples[static_cast<std::size_t>(i) % kExamples.size()];
    write_file(in + "/doc-" + std::to_string(i) + ".xml", i % 17 == 5 ? "<Invoice/>" : example(name));
  }
  std::string list;
  for (int i = 0; i < 30; ++i) list += work.file("listed-" + std::to_string(i) + ".txt") + "\n";
  for (int i = 0; i < 30; ++i)
    write_file(work.file("listed-" + std::to_string(i) + ".txt"), encoded(kExamples[i % 9]));
  write_file(work.file("list"), list);

  const auto one = batch(kLogo + " -j=1 -o=" + shell_quote(work.file("one")) + " " + shell_quote(in) + " -",
                         work.file("list"));
  const auto four = batch(kLogo + " -j=4 -o=" + shell_quote(work.file("four")) + " " + shell_quote(in) + " -",
                          work.file("list"));
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(four.status, 1);
  const auto a = files_in(work.file("one"));
  EXPECT_EQ(a.size(), 150u - 7u);
  EXPECT_TRUE(a == files_in(work.file("four")));
  const std::string summary = "Written 143 of 150 pictures to ";
  EXPECT_NE(one.err.find(summary + work.file("one") + "; 7 failed.\n"), std::string::npos) << one.err;
  // The failure lines come in the order of the documents, whichever thread finished first.
  EXPECT_EQ(one.err.substr(0, one.err.find(summary)), four.err.substr(0, four.err.find(summary)));
  EXPECT_EQ(one.err.substr(0, one.err.find('\n')),
            in + "/doc-107.xml: " + tolvexqr_error_line(kLogo, in + "/doc-107.xml"));
}

TEST(BatchTool, PicturesThatWouldShareANameAreRefusedBeforeAnythingIsWritten) {
  const TempDir work;
  fs::create_directories(work.file("a"));
  fs::create_directories(work.file("b"));
  write_file(work.file("a/invoice.xml"), example("invoice"));
  write_file(work.file("b/invoice.txt"), encoded("invoice"));
  write_file(work.file("b/other.xml"), example("pay-single"));
  const std::string out = work.file("out");
  const struct {
    std::string paths;
    std::string line;
  } cases[] = {
      {shell_quote(work.file("a")) + " " + shell_quote(work.file("b")),
       "ERROR_ILLEGAL_ARGUMENT: Two inputs would write the same picture:  " + out + "/invoice.png from " +
           work.file("a/invoice.xml") + " and " + work.file("b/invoice.txt")},
      {shell_quote(work.file("b/other.xml")) + " " + shell_quote(work.file("b")),
       "ERROR_ILLEGAL_ARGUMENT: Two inputs would write the same picture:  " + out + "/other.png from " +
           work.file("b/other.xml") + " and " + work.file("b/other.xml")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.paths);
    const auto result = batch(kLogo + " -o=" + shell_quote(out) + " " + c.paths);
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.err, c.line + "\n");
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST(BatchTool, CommandLineErrorsWriteOneLineAndNothingElse) {
  const TempDir work;
  write_file(work.file("pay.xml"), example("pay-single"));
  write_file(work.file("pay.json"), example("pay-single"));
  const std::string file = shell_quote(work.file("pay.xml"));
  const std::string out = " -o=" + shell_quote(work.file("out"));
  const struct {
    std::string arguments;
    int status;
    std::string err;
  } cases[] = {
      {file, 255, "ERROR_ILLEGAL_ARGUMENT: Missing option:  -o\n"},
      {out, 255, "ERROR_ILLEGAL_ARGUMENT: No input paths given.  \n"},
      {out + " -j=0 " + file, 255, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -j\n"},
      {out + " -f=x.png " + file, 255, "ERROR_ILLEGAL_ARGUMENT: Unknown option:  -f=x.png\n"},
      {out + " -v=purple " + file, 255, "ERROR_ILLEGAL_ARGUMENT: Illegal value for:  -v\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto result = batch(c.arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_FALSE(fs::exists(work.file("out")));
  }
  // A file named on its own with another extension is refused unless -i says what it holds.
  const std::string json = shell_quote(work.file("pay.json"));
  const auto refused = batch(kLogo + out + " " + json);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            work.file("pay.json") +
                ": ERROR_ILLEGAL_ARGUMENT: Unknown file format, expected .xml or .txt (or -i).  \n" +
                "Written 0 of 1 pictures to " + work.file("out") + "; 1 failed.\n");
  const auto forced = batch(kLogo + out + " -i=xml " + json);
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(names_in(work.file("out")), std::vector<std::string>{"pay.png"});
}

// Every thread holds one document whole, so a file past the limit is refused unread; -j beyond
// the number of documents starts no more threads than there are documents.
TEST(BatchTool, OversizedInputIsRefusedAndTheRestDrawn) {
  const TempDir work;
  write_file(work.file("pay.xml"), example("pay-single"));
  write_file(work.file("huge.xml"), "");
  fs::resize_file(work.file("huge.xml"), (16u << 20) + 1);
  const std::string out = work.file("out");
  const auto result = batch(kLogo + " -j=256 -o=" + shell_quote(out) + " " +
                            shell_quote(work.file("huge.xml")) + " " + shell_quote(work.file("pay.xml")));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, work.file("huge.xml") + ": ERROR_ILLEGAL_ARGUMENT: Input file too large.  \n" +
                            "Written 1 of 2 pictures to " + out + "; 1 failed.\n");
  EXPECT_EQ(names_in(out), std::vector<std::string>{"pay.png"});
}

TEST(BatchTool, HelpAndVersion) {
  const std::string usage = read_file(kSourceDir + "/tests/cli/batch_usage.txt");
  for (const std::string arguments : {"", "-h", "--help -o=x y", "-o=x y --HELP --version"}) {
    const auto result = batch(arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, usage) << arguments;
  }
  const auto version = batch("--version -o=x y");
  EXPECT_EQ(version.out, "Tolvex QR code encoder tool. Version: 1.0.10\n");
}

// Starts tolvexbatch with standard output and error into files.
pid_t spawn_batch(const std::vector<std::string>& arguments, const std::string& errFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> argv{const_cast<char*>(TOLVEX_BATCH_PATH)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  if (posix_spawn(&child, TOLVEX_BATCH_PATH, &actions, nullptr, argv.data(), environ) != 0) child = -1;
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

bool any_picture_in(const std::string& directory) {
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".png" && it->path().filename().string()[0] != '.') return true;
  }
  return false;
}

TEST(BatchTool, InterruptLeavesOnlyWholePictures) {
  const TempDir work;
  const std::string in = work.file("in");
  fs::create_directories(in);
  std::map<std::string, std::string> reference;  // family -> what tolvexqr writes
  for (const std::string& name : kExamples) {
    write_file(in + "/" + name + ".xml", example(name));
    const auto single = run_command(kCli + " " + kLogo + " -f=" + shell_quote(work.file(name + ".png")),
                                    in + "/" + name + ".xml");
    ASSERT_EQ(single.status, 0);
    reference[name] = read_file(work.file(name + ".png"));
  }
  constexpr int kCopies = 2000;
  for (int i = 0; i < kCopies; ++i) {
    const std::string& name = kExamples[static_cast<std::size_t>(i) % kExamples.size()];
    fs::create_symlink(in + "/" + name + ".xml", in + "/" + name + "~" + std::to_string(i) + ".xml");
  }
  const std::string out = work.file("out");
  const pid_t child = spawn_batch({kLogo, "-j=2", "-o=" + out, in}, work.file("err"));
  ASSERT_GT(child, 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!any_picture_in(out) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);

  const auto pictures = files_in(out);
  EXPECT_GT(pictures.size(), 0u);
  EXPECT_LT(pictures.size(), static_cast<std::size_t>(kCopies + 9))
      << "the interrupt came too late to test anything";
  for (const auto& [name, bytes] : pictures) {
    ASSERT_NE(name[0], '.') << "a temporary file was left: " << name;
    const std::string family = name.substr(0, name.find_first_of("~."));
    ASSERT_TRUE(reference.contains(family)) << name;
    EXPECT_TRUE(bytes == reference[family]) << name;
  }
  const std::string err = read_file(work.file("err"));
  EXPECT_EQ(err, "Interrupted: written " + std::to_string(pictures.size()) + " of " +
                     std::to_string(kCopies + 9) + " pictures to " + out + "; 0 failed, " +
                     std::to_string(kCopies + 9 - pictures.size()) + " not started.\n");
}

// Runs tolvexbatch on a pseudo-terminal and returns everything it wrote there.
std::string output_on_terminal(const std::vector<std::string>& arguments, int* exitStatus) {
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) return {};
  if (child == 0) {
    std::vector<char*> argv{const_cast<char*>(TOLVEX_BATCH_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(TOLVEX_BATCH_PATH, argv.data());
    ::_exit(127);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(n));
  ::close(terminal);
  int status = 0;
  ::waitpid(child, &status, 0);
  *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

TEST(BatchTool, ProgressBarOnlyOnATerminal) {
  const TempDir work;
  const std::string in = work.file("in");
  fs::create_directories(in);
  for (int i = 0; i < 40; ++i) write_file(in + "/d" + std::to_string(i) + ".xml", example(kExamples[i % 9]));
  write_file(in + "/zz-bad.xml", "<Pay/>");

  int status = -1;
  const std::string shown = output_on_terminal({kLogo, "-j=1", "-o=" + work.file("tty"), in}, &status);
  EXPECT_EQ(status, 1) << shown;
  EXPECT_NE(shown.find("] 41/41 documents"), std::string::npos) << shown;
  // The bar is cleared before a failure line and the summary, so both start at the margin.
  EXPECT_NE(shown.find("\r\x1b[K" + in + "/zz-bad.xml: "), std::string::npos) << shown;
  EXPECT_NE(shown.find("\r\x1b[KWritten 40 of 41 pictures to " + work.file("tty") + "; 1 failed.\r\n"),
            std::string::npos)
      << shown;

  const auto piped = batch(kLogo + " -j=1 -o=" + shell_quote(work.file("pipe")) + " " + shell_quote(in));
  EXPECT_EQ(piped.err.find("documents"), std::string::npos) << piped.err;
  EXPECT_EQ(piped.err.find('\r'), std::string::npos);
  EXPECT_TRUE(files_in(work.file("tty")) == files_in(work.file("pipe")));
}

}  // namespace
}  // namespace tolvex
