#include "command/common.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/descriptor.h"
#include "base/guard.h"
#include "base/messages.h"
#include "cli/options.h"
#include "codec/base32hex.h"
#include "image/logo_layout.h"
#include "image/output_file.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/header.hpp"
#include "tolvex/json.hpp"

#ifndef TOLVEX_LOGO_FROM_BINARIES
#define TOLVEX_LOGO_FROM_BINARIES "../share/tolvex/logo"
#endif

namespace tolvex::command {
namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";

}  // namespace

std::string file_and_reason(std::string_view name, int number) {
  std::string detail(name);
  if (number != 0) detail.append(": ").append(std::strerror(number));
  return detail;
}

std::optional<Form> form_named(std::string_view name) {
  if (name == "xml") return Form::xml;
  if (name == "json") return Form::json;
  if (name == "text") return Form::text;
  return std::nullopt;
}

std::string_view trimmed(std::string_view input) {
  const std::size_t first = input.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return input.substr(first, input.find_last_not_of(kWhiteSpace) - first + 1);
}

bool is_encoded_text(std::string_view input) {
  const std::string_view text = trimmed(input);
  if (text.empty()) return false;
  for (const char c : text) {
    if (!is_base32hex_letter(c)) return false;
  }
  return true;
}

Form detect_form(std::string_view input) {
  const std::string_view text = trimmed(input);
  if (!text.empty() && (text.front() == '{' || text.front() == '[')) return Form::json;
  if (is_encoded_text(text)) return Form::text;
  return Form::xml;
}

Result<std::string> read_document_input(const std::optional<std::string>& file) {
  return guarded_result<std::string>([&](std::string& text) -> ErrorCode {
    if (!file || *file == "-") return read_standard_input(&text);
    const Descriptor descriptor(::open(file->c_str(), O_RDONLY | O_CLOEXEC));
    if (descriptor.get() < 0) return report(messages::kCannotRead, file_and_reason(*file, errno));
    errno = 0;
    switch (read_input(descriptor.get(), kMaxInputBytes, &text)) {
      case InputEnd::complete:
        return ERROR_OK;
      case InputEnd::tooLarge:
        return report(messages::kInputFileTooLarge, *file);
      case InputEnd::failed:
      case InputEnd::stopped:
        break;
    }
    return report(messages::kCannotRead, file_and_reason(*file, errno));
  });
}

Result<EncodedDocument> encoded_document(std::string_view input, Form form) {
  switch (form) {
    case Form::text: {
      const std::string_view text = trimmed(input);
      Result<DocumentPtr<>> document = decode(text);
      if (!document) return std::move(document).error();
      return EncodedDocument{std::string(text), (*document)->header.family()};
    }
    case Form::json:
    case Form::xml: {
      Result<std::string> text = form == Form::json ? encode_json(input) : encode_xml(input);
      if (!text) return std::move(text).error();
      DocumentHeader header;
      if (const ErrorCode code = read_header(text->data(), text->size(), &header)) return error_of(code);
      return EncodedDocument{std::move(*text), header.family()};
    }
  }
  return error_of(report(messages::kUnexpectedFailure));
}

std::string find_logo_directory(const LogoSearch& search) {
  const auto as_directory = [](std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
  };
  if (search.option) return as_directory(*search.option);
  if (search.environment && !search.environment->empty()) return as_directory(*search.environment);
  if (search.executable) {
    std::error_code error;
    const std::filesystem::path installed = installed_logo_directory(*search.executable);
    if (std::filesystem::is_directory(installed, error)) return as_directory(installed.string());
  }
  return "./logo/";
}

LogoSearch logo_search(const std::optional<std::string>& option) {
  LogoSearch search;
  search.option = option;
  if (const char* environment = std::getenv("TOLVEX_LOGO_DIR")) search.environment = environment;
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) search.executable = std::move(executable);
  return search;
}

std::filesystem::path installed_logo_directory(const std::filesystem::path& executable) {
  return (executable.parent_path() / TOLVEX_LOGO_FROM_BINARIES).lexically_normal();
}

Error with_logo_file(Error error, unsigned family, const LogoOptions& logo) {
  const bool missing = error.message == messages::kCannotFindLogoFile.text ||
                       error.message == messages::kCannotReadLogoFile.text;
  if (error.code != Errc::missing_logo || !missing) return error;
  error.detail = logo.directory.string();
  error.detail += logo_file_name(family, logo.rotation, logo.variation, logo.frame);
  error.line += error.detail;
  return error;
}

Result<void> write_output(const std::string& output, std::span<const std::uint8_t> bytes) {
  return guarded_status([&]() -> ErrorCode {
    if (output == "-") {
      errno = 0;
      if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
        const std::string detail = file_and_reason(output, errno);
        return report(messages::kCannotWrite, detail);
      }
      return ERROR_OK;
    }
    errno = 0;
    if (!write_file_atomically(output.c_str(), bytes)) return report(messages::kCannotWrite, file_and_reason(output, errno));
    return ERROR_OK;
  });
}

void print_failure(const Error& error, const std::optional<std::string>& file) {
  if (file && *file != "-") {
    std::fprintf(stderr, "%s: %s\n", file->c_str(), error.line.c_str());
  } else {
    std::fprintf(stderr, "%s\n", error.line.c_str());
  }
}

std::optional<ImageFormat> format_named(std::string_view name) {
  if (name == "png") return ImageFormat::png;
  if (name == "svg") return ImageFormat::svg;
  if (name == "pdf") return ImageFormat::pdf;
  return std::nullopt;
}

std::optional<ImageFormat> format_of_name(std::string_view name) {
  const auto ends_with = [name](std::string_view extension) {
    return name.size() > extension.size() && equals_ignoring_case(name.substr(name.size() - extension.size()), extension);
  };
  if (ends_with(".png")) return ImageFormat::png;
  if (ends_with(".svg")) return ImageFormat::svg;
  if (ends_with(".pdf")) return ImageFormat::pdf;
  return std::nullopt;
}

}  // namespace tolvex::command
