#include "cli/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <array>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

#include "base/descriptor.h"
#include "base/messages.h"
#include "cli/run.h"
#include "tolvex/decode.hpp"
#include "image/logo_cache.h"

namespace tolvex {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The options handed on to parse_options; -h, --help and --version are answered before parsing.
constexpr std::array<std::string_view, 11> kPictureOptions = {
    "-i", "-l", "-r", "-v", "-s", "-t", "--no_frame", "--no_logo", "-h", "--help", "--version"};

std::optional<unsigned> parse_thread_count(std::string_view value) {
  if (value.empty() || value.size() > 3) return std::nullopt;
  unsigned count = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + static_cast<unsigned>(c - '0');
  }
  if (count < 1 || count > kMaxBatchThreads) return std::nullopt;
  return count;
}

bool ends_with_ignoring_case(std::string_view name, std::string_view extension) {
  return name.size() >= extension.size() &&
         equals_ignoring_case(name.substr(name.size() - extension.size()), extension);
}

std::optional<InputKind> kind_by_extension(std::string_view name, bool jsonFiles) {
  if (ends_with_ignoring_case(name, ".xml")) return InputKind::xml;
  if (ends_with_ignoring_case(name, ".txt")) return InputKind::base32hex;
  if (jsonFiles && ends_with_ignoring_case(name, ".json")) return InputKind::json;
  return std::nullopt;
}

class Gatherer {
 public:
  Gatherer(const BatchSettings& settings, std::FILE* list)
      : settings_(settings),
        list_(list),
        directory_(settings.outputDirectory),
        extension_("." + std::string(image_format_name(output_format(settings.picture)))) {}

  std::vector<BatchDocument> take() {
    for (const std::string& path : settings_.paths) {
      if (path == "-") {
        add_list();
      } else {
        add_path(path);
      }
    }
    return std::move(documents_);
  }

 private:
  void add_path(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
      root_ = path;
      add_directory(path);
      root_.clear();
    } else {
      add_file(path, settings_.inputKind ? settings_.inputKind : kind_by_extension(path, settings_.jsonFiles));
    }
  }

  void add_file(const std::string& path, std::optional<InputKind> kind) {
    BatchDocument document;
    document.path = path;
    // Mirrored, a directory's file keeps the folders between that directory and itself.
    const fs::path folders =
        settings_.mirror && !root_.empty() ? fs::path(path).lexically_relative(root_).parent_path() : fs::path();
    document.picture = (directory_ / folders / (fs::path(path).stem().string() + extension_)).string();
    if (kind) {
      document.kind = *kind;
    } else {
      report(messages::kUnknownBatchFileFormat);
      document.refusal = error_line();
    }
    documents_.push_back(std::move(document));
  }

  void add_directory(const std::string& path) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
      entries.push_back(*it);
    }
    if (error) {
      report(messages::kCannotReadDirectory);
      documents_.push_back(BatchDocument{path, InputKind::xml, {}, error_line()});
      return;
    }
    std::ranges::sort(entries, {}, [](const fs::directory_entry& entry) { return entry.path().filename(); });
    for (const fs::directory_entry& entry : entries) {
      // The path as the directory was named, so that error lines show what the user typed.
      const std::string child = (fs::path(path) / entry.path().filename()).string();
      std::error_code ignored;
      if (entry.is_directory(ignored)) {
        if (settings_.recursive && !entry.is_symlink(ignored)) add_directory(child);
        continue;
      }
      const std::optional<InputKind> byName = kind_by_extension(child, settings_.jsonFiles);
      if (byName && entry.is_regular_file(ignored))
        add_file(child, settings_.inputKind ? settings_.inputKind : byName);
    }
  }

  void add_list() {
    for (const std::string& path : read_path_list(list_)) add_path(path);
  }

  const BatchSettings& settings_;
  std::FILE* list_;
  fs::path directory_;
  fs::path root_;  // the directory named as a path, while its files are gathered
  std::string extension_;
  std::vector<BatchDocument> documents_;
};


// Files whose reading ends: regular files, and FIFOs and sockets, which a writer ends. A
// directory or a device (/dev/zero, a terminal, a disk) is no document and is never opened.
bool readable_kind(mode_t mode) { return S_ISREG(mode) || S_ISFIFO(mode) || S_ISSOCK(mode); }

// Reads the file as tolvexqr reads standard input, within kMaxBatchInputBytes whatever the kind
// of file. Sets abandoned, and returns no error, when stop is set while it waits for data.
ErrorCode read_document(const std::string& path, const std::atomic<bool>& stop, std::string* text,
                        bool* abandoned) {
  const auto unreadable = [] { return report(messages::kCannotReadInputFile); };
  const auto tooLarge = [] { return report(messages::kInputFileTooLarge); };
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return unreadable();
  if (!readable_kind(status.st_mode)) return report(messages::kNotADocumentFile);
  // Not blocking, so that a FIFO without a writer does not hold the open; reading polls.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0) return unreadable();
  if (!readable_kind(status.st_mode)) return report(messages::kNotADocumentFile);
  if (S_ISREG(status.st_mode) && static_cast<std::uintmax_t>(status.st_size) > kMaxBatchInputBytes) {
    return tooLarge();
  }
  switch (read_input(file.get(), kMaxBatchInputBytes, text, &stop)) {
    case InputEnd::complete:
      return ERROR_OK;
    case InputEnd::tooLarge:
      return tooLarge();
    case InputEnd::stopped:
      *abandoned = true;
      return ERROR_OK;
    case InputEnd::failed:
      break;
  }
  return unreadable();
}

struct Outcome {
  bool finished = false;
  bool abandoned = false;  // stopped while its input was read: it vanishes
  std::optional<std::string> failure;
  bool skipped = false;  // its picture was there already
};

// The text, trimmed of white space, when it decodes; else the failure is recorded.
ErrorCode decoding_text(std::string* input) {
  const std::size_t first = input->find_first_not_of(" \t\r\n");
  const std::size_t last = input->find_last_not_of(" \t\r\n");
  *input = first == std::string::npos ? std::string() : input->substr(first, last - first + 1);
  const Result<DocumentPtr<>> document = decode(*input);
  return document ? ERROR_OK : static_cast<ErrorCode>(document.error().code);
}

// What became of the document: its error line, none when its picture was written, or abandoned.
Outcome draw_document(const BatchSettings& batch, const BatchDocument& document, const std::atomic<bool>& stop) {
  const Settings& shared = batch.picture;
  if (document.refusal) return Outcome{true, false, document.refusal};
  try {
    std::error_code ignored;
    if (batch.skipExisting && fs::exists(document.picture, ignored)) return Outcome{true, false, std::nullopt, true};
    std::string input;
    bool abandoned = false;
    ErrorCode code = read_document(document.path, stop, &input, &abandoned);
    if (abandoned) return Outcome{true, true, std::nullopt};
    if (code == ERROR_OK && batch.decodeTexts && document.kind == InputKind::base32hex) code = decoding_text(&input);
    if (code == ERROR_OK && batch.mirror) {
      std::error_code error;
      const fs::path folder = fs::path(document.picture).parent_path();
      if (!folder.empty()) fs::create_directories(folder, error);
      if (error) code = report(messages::kCannotCreateOutputDirectory, folder.string());
    }
    if (code == ERROR_OK) {
      Settings settings = shared;
      settings.inputKind = document.kind;
      settings.outputFile = document.picture;
      settings.format = output_format(shared);
      code = write_document_picture(settings, input);
    }
    if (code == ERROR_OK) return Outcome{true, false, std::nullopt};
  } catch (const std::bad_alloc&) {
    report(messages::kNotEnoughMemory);
  }
  return Outcome{true, false, error_line()};
}

std::string minutes_and_seconds(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  return std::to_string(whole / 60) + ":" + (whole % 60 < 10 ? "0" : "") + std::to_string(whole % 60);
}

// The bar on one terminal line, drawn over itself with a carriage return.
class ProgressBar {
 public:
  ProgressBar(std::FILE* err, bool on, std::size_t total) : err_(err), on_(on), total_(total) {}

  void draw(std::size_t done) {
    if (!on_) return;
    constexpr std::size_t kWidth = 30;
    const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    std::string line = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] ";
    line += std::to_string(done) + "/" + std::to_string(total_) + " documents";
    if (done > 0 && elapsed > 0) {
      const double rate = static_cast<double>(done) / elapsed;
      line += ", " + std::to_string(static_cast<long long>(rate + 0.5)) + "/s, ";
      line += minutes_and_seconds(static_cast<double>(total_ - done) / rate) + " left";
    }
    std::fputs((line + "\x1b[K").c_str(), err_);
    std::fflush(err_);
    drawn_ = true;
  }

  // Clears the bar so that the next line is written over it.
  void clear() {
    if (!on_ || !drawn_) return;
    std::fputs("\r\x1b[K", err_);
    drawn_ = false;
  }

 private:
  std::FILE* err_;
  bool on_;
  std::size_t total_;
  Clock::time_point start_ = Clock::now();
  bool drawn_ = false;
};

}  // namespace

ErrorCode parse_batch_options(std::span<const std::string_view> arguments, BatchSettings* result) {
  if (result == nullptr) return report(messages::kSettingsCannotBeNull);
  BatchSettings settings;
  std::vector<std::string_view> shared;
  bool forcedKind = false;
  bool options = true;
  for (const std::string_view argument : arguments) {
    if (options && argument == "--") {
      options = false;
      continue;
    }
    if (!options || argument == "-" || !argument.starts_with('-')) {
      settings.paths.emplace_back(argument);
      continue;
    }
    const SplitOption split = split_option(argument);
    const std::string_view value = split.value;
    const auto is = [&split](std::string_view option) { return equals_ignoring_case(split.name, option); };
    if (is("-o")) {
      if (value.empty()) return report(messages::kIllegalValueFor, "-o");
      settings.outputDirectory.assign(value);
    } else if (is("-j")) {
      settings.threads = parse_thread_count(value);
      if (!settings.threads) return report(messages::kIllegalValueFor, "-j");
    } else if (argument == "-R" || is("--recursive")) {  // -r=, also as -R=, is the logo's rotation
      settings.recursive = true;
    } else if (std::ranges::any_of(kPictureOptions, is)) {
      forcedKind = forcedKind || is("-i");
      shared.push_back(argument);
    } else {
      return report(messages::kUnknownOption, argument);
    }
  }
  if (const ErrorCode code = parse_options(shared, &settings.picture)) return code;
  if (forcedKind) settings.inputKind = settings.picture.inputKind;
  if (settings.outputDirectory.empty()) return report(messages::kMissingOption, "-o");
  if (settings.paths.empty()) return report(messages::kNoInputPathsGiven);
  *result = std::move(settings);
  return ERROR_OK;
}

std::string batch_usage_text() {
  std::string text = version_line() + "\n";
  text += "\nUsage: tolvexbatch [options] -o=DIR PATH...\n";
  text +=
      "\nWrites the QR code picture of every document the paths name into DIR, several documents at a "
      "time. A PATH is a file, a directory (its .xml and .txt files) or - for a list of paths on "
      "standard input, one a line. The picture of a/b/invoice-17.xml is DIR/invoice-17.png (or .svg, "
      ".pdf). \n";
  text +=
      "\nFor every document that fails, a line is written to standard error output: its path, a colon, "
      "a space and the error line tolvexqr writes for it; the other documents are still drawn. A "
      "summary line follows. The exit status is 0 when every picture was written, 1 when a document "
      "failed, 130 when interrupted. \n";
  text += "\n-o=<directory>\n";
  text += "\tThe directory the pictures are written to, created if missing. Required. \n";
  text += "\n-i=[xml, base32hex]\n";
  text +=
      "\tWhat every input holds. Without it, files ending in .xml are read as XML and files ending in "
      ".txt as encoded texts. \n";
  text += "\n-R, --recursive\n";
  text += "\tAlso reads the subdirectories of directories. \n";
  text += "\n-j=<integer> (default=number of cores)\n";
  text += "\tDraws this many documents at a time, at most " + std::to_string(kMaxBatchThreads) + ". \n";
  text += picture_options_usage(Settings{});
  text += "\n-t=[png, svg, pdf] (default=png)\n";
  text += "\tSpecifies the output image type. \n";
  text += "\n-h, --help\n";
  text += "\tPrints this text. \n";
  text += "\n--version\n";
  text += "\tPrints the version. \n";
  return text;
}

std::vector<std::string> read_path_list(std::FILE* list) {
  std::string text;
  std::array<char, 4096> buffer{};
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), list)) > 0;)
    text.append(buffer.data(), n);
  std::vector<std::string> paths;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) paths.push_back(std::move(line));
  }
  return paths;
}

std::vector<BatchDocument> gather_documents(const BatchSettings& settings, std::FILE* list) {
  return Gatherer(settings, list).take();
}

std::vector<std::string> picture_name_clashes(std::span<const BatchDocument> documents) {
  std::vector<std::string> lines;
  std::unordered_map<std::string_view, const BatchDocument*> first;
  for (const BatchDocument& document : documents) {
    if (document.refusal) continue;
    const auto [at, added] = first.try_emplace(document.picture, &document);
    if (added) continue;
    std::string detail = document.picture;
    detail.append(messages::kSamePictureFrom.text).append(at->second->path);
    detail.append(messages::kSamePictureAnd.text).append(document.path);
    report(messages::kTwoInputsWouldWriteTheSamePicture, detail);
    lines.push_back(error_line());
  }
  return lines;
}

BatchCounts draw_documents(const BatchSettings& settings, std::span<const BatchDocument> documents,
                           const std::atomic<bool>& stop, std::FILE* err, bool progress,
                           const BatchObserver& observer) {
  const std::size_t total = documents.size();
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers =
      std::max<std::size_t>(1, std::min<std::size_t>(settings.threads.value_or(cores), total));

  std::vector<Outcome> outcomes(total);
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t finished = 0;
  std::size_t running = workers;
  std::atomic<std::size_t> next{0};

  const auto work = [&] {
    logo_cache_set_budget(kBatchLogoCacheBytes);
    while (!stop.load()) {
      const std::size_t index = next.fetch_add(1);
      if (index >= total) break;
      Outcome outcome = draw_document(settings, documents[index], stop);
      {
        const std::lock_guard lock(mutex);
        outcomes[index] = std::move(outcome);
        ++finished;
      }
      changed.notify_one();
    }
    logo_cache_free();
    {
      const std::lock_guard lock(mutex);
      --running;
    }
    changed.notify_one();
  };

  BatchCounts counts;
  ProgressBar bar(err, progress, total);
  {
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < workers; ++i) threads.emplace_back(work);

    constexpr auto kRedraw = std::chrono::milliseconds(100);
    std::size_t reported = 0;
    std::size_t abandoned = 0;
    auto lastDrawn = Clock::now() - kRedraw;
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait_for(lock, kRedraw,
                       [&] { return running == 0 || (reported < total && outcomes[reported].finished); });
      for (; reported < total && outcomes[reported].finished; ++reported) {
        const Outcome& outcome = outcomes[reported];
        if (outcome.abandoned) {
          ++abandoned;
          continue;
        }
        if (observer) observer(BatchOutcome{documents[reported], outcome.failure, outcome.skipped});
        if (outcome.skipped) {
          ++counts.skipped;
          continue;
        }
        if (!outcome.failure) {
          ++counts.written;
          continue;
        }
        ++counts.failed;
        bar.clear();
        std::fprintf(err, "%s: %s\n", documents[reported].path.c_str(), outcome.failure->c_str());
      }
      const bool over = running == 0;
      if (over || Clock::now() - lastDrawn >= kRedraw) {
        bar.draw(finished);
        lastDrawn = Clock::now();
      }
      if (over) break;
    }
    counts.notStarted = total - reported + abandoned;
  }
  bar.clear();
  return counts;
}

std::string batch_summary(const BatchCounts& counts, std::string_view directory, bool interrupted) {
  const std::size_t total = counts.written + counts.failed + counts.notStarted + counts.skipped;
  std::string line = interrupted ? "Interrupted: written " : "Written ";
  line += std::to_string(counts.written) + " of " + std::to_string(total) + " pictures to " +
          std::string(directory);
  line += "; " + std::to_string(counts.failed) + " failed";
  if (counts.skipped > 0) line += ", " + std::to_string(counts.skipped) + " already there";
  if (interrupted) line += ", " + std::to_string(counts.notStarted) + " not started";
  return line + ".";
}

int batch_exit_status(const BatchCounts& counts, bool interrupted) {
  if (interrupted) return 130;
  return counts.failed > 0 ? 1 : 0;
}

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void request_stop(int) { interrupted.store(true); }

}  // namespace

const std::atomic<bool>& stop_on_signals() {
  struct sigaction action {};
  action.sa_handler = request_stop;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  return interrupted;
}

}  // namespace tolvex
