#include "serve/service.h"

#include <algorithm>
#include <fstream>
#include <new>
#include <nlohmann/json.hpp>

#include "base/error.h"
#include "base/messages.h"
#include "cli/batch.h"
#include "cli/describe.h"
#include "cli/options.h"
#include "scan/scan_report.h"
#include "serve/embedded.h"
#include "tolvex/check.hpp"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/picture.hpp"
#include "tolvex/summary.hpp"
#include "tolvex/xml.hpp"

namespace tolvex::serve {
namespace {

using Json = nlohmann::ordered_json;

// JSON of texts that may hold any bytes (parser messages quote the input): invalid UTF-8 is
// replaced rather than thrown at.
std::string dumped(const Json& json, int indent = -1) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

enum class Form { xml, json, text };

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
  std::string result(text);
  std::ranges::transform(result, result.begin(), lower);
  return result;
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string header(const Call& call, const std::string& name) {
  const auto found = call.headers.find(name);
  return found == call.headers.end() ? std::string() : found->second;
}

// The media type of Content-Type, without parameters, in lower case.
std::string media_type(const Call& call) {
  const std::string value = header(call, "Content-Type");
  return lowered(trimmed(std::string_view(value).substr(0, value.find(';'))));
}

std::optional<Form> form_of(std::string_view type) {
  if (type == "application/xml" || type == "text/xml") return Form::xml;
  if (type == "application/json") return Form::json;
  if (type == "text/plain") return Form::text;
  return std::nullopt;
}

Error recorded(const Message& message, std::string_view detail = {}) { return error_of(report(message, detail)); }

Reply unsupported(const std::string& type) {
  return failure(415, recorded(messages::kUnsupportedContentType, type.empty() ? "none" : type));
}

Reply json_reply(std::string body) {
  Reply reply;
  reply.body = std::move(body);
  reply.body += '\n';
  return reply;
}

// A document's failure: 400 with the check's findings, so that a client sees every problem at once.
Reply document_failure(const Error& error, std::string_view body) {
  const Result<std::vector<Finding>> found = tolvex::check(body);
  if (!found) return failure(400, error);
  const Json report = Json::parse(check_report_json(*found), nullptr, false);
  const auto diagnostics = report.find("diagnostics");
  return failure(400, error, diagnostics == report.end() ? "[]" : dumped(*diagnostics));
}

// What only the server's own state explains: the logo pictures it was given, the reading
// worker, memory. Everything else a request can cause is its own fault (400).
int status_of(const Error& error) {
  if (error.message == messages::kNotEnoughMemory.text) return 503;
  if (error.message == messages::kCannotStartReader.text || error.message == messages::kUnexpectedFailure.text ||
      error.message == messages::kCannotFindLogoFile.text || error.message == messages::kCannotReadLogoFile.text) {
    return 500;
  }
  if (error.message == messages::kUnknownPictureFileFormat.text) return 415;
  return 400;
}

// The encoded text of a body in the given form; a text must decode.
Result<std::string> encoded_text(std::string_view body, Form form) {
  switch (form) {
    case Form::xml:
      return encode_xml(body);
    case Form::json:
      return encode_json(body);
    case Form::text:
      break;
  }
  const std::string_view text = trimmed(std::string_view(body).substr(0, body.find_last_not_of("\r\n") + 1));
  Result<DocumentPtr<>> document = tolvex::decode(text);
  if (!document) return std::move(document).error();
  return std::string(text);
}

constexpr std::array<std::string_view, 2> kYesNo = {"true", "false"};

// The picture a query asks for, each value checked as the command line checks its options.
Result<PictureOptions> picture_query(const Call& call, const std::string& logoDirectory) {
  PictureOptions options{.compactVector = true};
  LogoOptions logo{.directory = logoDirectory};
  bool withLogo = true;
  for (const auto& [name, value] : call.query) {
    std::int32_t index = 0;
    ErrorCode code = ERROR_OK;
    if (name == "format") {
      code = match_option_value(value, name, kImageFormatWords, &index);
      options.format = static_cast<ImageFormat>(index);
    } else if (name == "size") {
      const std::optional<std::int32_t> size = whole_number(value, 1, kLargestImageSize);
      code = size ? ERROR_OK : report(messages::kIllegalValueFor, name);
      options.size = size.value_or(0);
    } else if (name == "logo") {
      code = match_option_value(value, name, kYesNo, &index);
      withLogo = index == 0;
    } else if (name == "placement") {
      code = match_option_value(value, name, kLogoRotationWords, &index);
      logo.rotation = static_cast<LogoRotation>(index);
    } else if (name == "colour" || name == "color") {
      code = match_option_value(value, name, kLogoVariationWords, &index);
      logo.variation = static_cast<LogoVariation>(index);
    } else if (name == "frame") {
      code = match_option_value(value, name, kYesNo, &index);
      logo.frame = index == 0;
    } else {
      code = report(messages::kUnknownOption, name);
    }
    if (code != ERROR_OK) return error_of(code);
  }
  if (withLogo) options.logo = logo;
  return options;
}

std::string_view picture_type(ImageFormat format) {
  switch (format) {
    case ImageFormat::svg:
      return "image/svg+xml";
    case ImageFormat::pdf:
      return "application/pdf";
    case ImageFormat::png:
      break;
  }
  return "image/png";
}

bool is_readable_type(std::string_view type) {
  static constexpr std::array<std::string_view, 10> kTypes = {
      "image/png",  "image/jpeg", "application/pdf", "image/webp",  "image/tiff",
      "image/heic", "image/heif", "image/bmp",       "image/x-ms-bmp", "application/octet-stream"};
  return std::ranges::find(kTypes, type) != kTypes.end();
}

const std::vector<Route> kRoutes = {
    {"POST", "/v1/encode"}, {"POST", "/v1/pictures"}, {"POST", "/v1/check"},     {"POST", "/v1/decode"},
    {"POST", "/v1/read"},   {"GET", "/healthz"},      {"GET", "/readyz"},        {"GET", "/metrics"},
    {"GET", "/openapi.json"}, {"GET", "/"},
};

std::string_view endpoint_of(std::string_view path) {
  for (const Route& route : kRoutes) {
    if (route.path == path) return route.path;
  }
  return "other";
}

// The page with the examples put in, as one JSON object by file name.
std::string page_with_examples() {
  Json examples = Json::object();
  for (const Example& example : kExamples) examples[std::string(example.name)] = example.text;
  std::string page(kPage);
  constexpr std::string_view kSlot = "/*EXAMPLES*/";
  // In a script, "</" would end it; JSON may write it as "<\/".
  std::string json = dumped(examples);
  for (std::size_t at = json.find("</"); at != std::string::npos; at = json.find("</", at + 3)) json.insert(at + 1, "\\");
  if (const std::size_t at = page.find(kSlot); at != std::string::npos) page.replace(at, kSlot.size(), json);
  return page;
}

// Every logo picture the examples need draws: the logo directory holds what the service promises.
bool logos_draw(const std::string& logoDirectory) {
  for (const Example& example : kExamples) {
    const Result<std::string> text = encode_xml(example.text);
    if (!text) continue;
    if (!render(*text, {.logo = LogoOptions{.directory = logoDirectory}})) return false;
  }
  return true;
}

}  // namespace

bool Caseless::operator()(const std::string& a, const std::string& b) const {
  return std::ranges::lexicographical_compare(a, b, [](char x, char y) { return lower(x) < lower(y); });
}

Reply failure(int status, const Error& error, std::string diagnostics) {
  Json shape{{"error",
              {{"code", static_cast<std::int32_t>(error.code)},
               {"name", error.name},
               {"message", error.message},
               {"detail", error.detail},
               {"errorLine", error.line}}}};
  Reply reply = json_reply(dumped(shape));
  // The diagnostics are a JSON array written by the check's report.
  reply.body.insert(reply.body.size() - 2, ",\"diagnostics\":" + diagnostics);
  reply.status = status;
  reply.errorName = error.name;
  if (status == 503) reply.headers.emplace_back("Retry-After", std::to_string(kRetryAfterSeconds));
  return reply;
}

Result<std::vector<std::string>> read_tokens(const std::string& file) {
  std::ifstream in(file);
  if (!in) return recorded(messages::kCannotRead, file);
  std::vector<std::string> tokens;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view token = trimmed(std::string_view(line).substr(0, line.find_last_not_of("\r\n") + 1));
    if (!token.empty() && token.front() != '#') tokens.emplace_back(token);
  }
  return tokens;
}

bool token_matches(std::string_view offered, const std::vector<std::string>& tokens) {
  bool matched = false;
  for (const std::string& token : tokens) {
    // Every byte of the longer is looked at, whatever differs first.
    unsigned difference = offered.size() == token.size() ? 0u : 1u;
    const std::size_t length = std::max(offered.size(), token.size());
    for (std::size_t i = 0; i < length; ++i) {
      const auto a = static_cast<unsigned char>(i < offered.size() ? offered[i] : 0);
      const auto b = static_cast<unsigned char>(i < token.size() ? token[i] : 0);
      difference |= static_cast<unsigned>(a ^ b);
    }
    matched = matched || difference == 0u;
  }
  return matched;
}

Service::Service(ServiceOptions options)
    : options_(std::move(options)),
      page_(page_with_examples()),
      // Each worker keeps the decoded logo pictures, as tolvex batch's threads do.
      pool_(options_.workers, options_.queue, [] { logo_cache_set_budget(kBatchLogoCacheBytes); }),
      ready_(logos_draw(options_.logoDirectory)) {}

const std::vector<Route>& Service::routes() { return kRoutes; }

std::size_t Service::body_limit(std::string_view path) {
  return path == "/v1/read" ? kMaxFileBytes : kMaxDocumentBytes;
}

Reply Service::too_large(std::size_t limit) {
  return failure(413, recorded(messages::kRequestBodyTooLarge, std::to_string(limit) + " bytes"));
}

Reply Service::malformed(int status) {
  if (status == 431) return failure(431, recorded(messages::kRequestHeadersTooLarge, std::to_string(kMaxHeaderBytes) + " bytes"));
  return failure(status, recorded(messages::kMalformedRequest, std::to_string(status)));
}

Reply Service::busy() { return failure(503, recorded(messages::kServerBusy)); }

void Service::record(std::string_view path, const Reply& reply, std::chrono::duration<double> took) {
  metrics_.record(endpoint_of(path), reply.status, reply.errorName, took);
}

Reply Service::handle(const Call& call) {
  const auto start = std::chrono::steady_clock::now();
  metrics_.started();
  Reply reply;
  try {
    reply = route(call);
  } catch (const std::bad_alloc&) {
    reply = failure(503, recorded(messages::kNotEnoughMemory));
  } catch (...) {
    reply = failure(500, recorded(messages::kUnexpectedFailure));
  }
  metrics_.finished();
  record(call.path, reply, std::chrono::steady_clock::now() - start);
  return reply;
}

bool Service::authorised(const Call& call) const {
  if (options_.tokens.empty()) return true;
  const std::string value = header(call, "Authorization");
  constexpr std::string_view kScheme = "bearer ";
  if (value.size() <= kScheme.size() || lowered(std::string_view(value).substr(0, kScheme.size())) != kScheme) {
    return false;
  }
  return token_matches(trimmed(std::string_view(value).substr(kScheme.size())), options_.tokens);
}

Reply Service::route(const Call& call) {
  const auto known = std::ranges::find_if(kRoutes, [&](const Route& r) { return r.path == call.path; });
  if (known == kRoutes.end()) return failure(404, recorded(messages::kNoSuchEndpoint, call.path));
  if (known->method != call.method) {
    Reply reply = failure(405, recorded(messages::kMethodNotAllowed, call.method));
    reply.headers.emplace_back("Allow", std::string(known->method));
    return reply;
  }
  if (call.path == "/healthz") return json_reply(R"({"status":"alive"})");
  if (call.path == "/readyz") return health(ready_ && !stopping_);
  if (call.path == "/metrics") {
    Reply reply{.contentType = "text/plain; version=0.0.4", .body = metrics_.text()};
    return reply;
  }
  if (call.path == "/openapi.json") return Reply{.body = std::string(kOpenApi)};
  if (call.path == "/") {
    Reply reply{.contentType = "text/html; charset=utf-8", .body = page_};
    // Nothing but this server: no script, style or picture from elsewhere.
    reply.headers.emplace_back("Content-Security-Policy",
                               "default-src 'self'; img-src 'self' blob: data:; style-src 'self' 'unsafe-inline'; "
                               "script-src 'self' 'unsafe-inline'; object-src 'none'; frame-ancestors 'none'");
    return reply;
  }

  // The work: authorised, within its bound, through the bounded queue.
  if (!authorised(call)) {
    Reply reply = failure(401, recorded(messages::kBearerTokenRequired));
    reply.headers.emplace_back("WWW-Authenticate", "Bearer");
    return reply;
  }
  if (call.body.size() > body_limit(call.path)) return too_large(body_limit(call.path));
  Reply reply;
  const bool ran = pool_.run([&] {
    try {
      reply = work(call);
    } catch (const std::bad_alloc&) {
      reply = failure(503, recorded(messages::kNotEnoughMemory));
    } catch (...) {
      reply = failure(500, recorded(messages::kUnexpectedFailure));
    }
  });
  return ran ? reply : busy();
}

Reply Service::work(const Call& call) {
  if (call.path == "/v1/encode") return encode(call);
  if (call.path == "/v1/pictures") return pictures(call);
  if (call.path == "/v1/check") return check(call);
  if (call.path == "/v1/decode") return decode(call);
  return read(call);
}

Reply Service::health(bool ready) const {
  if (!ready) return failure(503, recorded(messages::kServerBusy));
  return json_reply(R"({"status":"ready"})");
}

Reply Service::encode(const Call& call) {
  const std::string type = media_type(call);
  const std::optional<Form> form = form_of(type);
  if (!form || *form == Form::text) return unsupported(type);
  const Result<std::string> text = encoded_text(call.body, *form);
  if (!text) return document_failure(text.error(), call.body);
  return json_reply(dumped(Json{{"text", *text}}));
}

Reply Service::pictures(const Call& call) {
  const Result<PictureOptions> asked = picture_query(call, options_.logoDirectory);
  if (!asked) return failure(400, asked.error());
  const std::string type = media_type(call);
  const std::optional<Form> form = form_of(type);
  if (!form) return unsupported(type);
  const Result<std::string> text = encoded_text(call.body, *form);
  if (!text) return document_failure(text.error(), call.body);
  PictureOptions options = *asked;
  describe(*text, options);
  Result<std::vector<std::uint8_t>> picture = render(*text, options);
  if (!picture) return failure(status_of(picture.error()), picture.error());
  return Reply{.contentType = std::string(picture_type(options.format)),
               .body = std::string(picture->begin(), picture->end())};
}

Reply Service::check(const Call& call) {
  const std::string type = media_type(call);
  if (!form_of(type)) return unsupported(type);
  const Result<std::vector<Finding>> found = tolvex::check(call.body);
  if (!found) return failure(status_of(found.error()), found.error());
  return json_reply(check_report_json(*found));
}

Reply Service::decode(const Call& call) {
  const std::string type = media_type(call);
  if (form_of(type) != Form::text) return unsupported(type);
  const Result<std::string> text = encoded_text(call.body, Form::text);
  if (!text) return document_failure(text.error(), call.body);
  const Result<DocumentPtr<>> document = tolvex::decode(*text);
  if (!document) return failure(400, document.error());
  const std::string accept = lowered(header(call, "Accept"));
  const bool xml = accept.find("application/xml") != std::string::npos;
  const bool plain = !xml && accept.find("text/plain") != std::string::npos &&
                     accept.find("application/json") == std::string::npos;
  const Result<std::string> output = xml ? to_xml(**document) : plain ? summary(**document) : to_json(**document);
  if (!output) return failure(status_of(output.error()), output.error());
  if (xml) return Reply{.contentType = "application/xml", .body = *output};
  if (plain) return Reply{.contentType = "text/plain; charset=utf-8", .body = *output};
  return json_reply(*output);
}

Reply Service::read(const Call& call) {
  const std::string type = media_type(call);
  if (!is_readable_type(type)) return unsupported(type);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(call.body.data());
  const Result<std::vector<ScannedCode>> codes = scan({bytes, call.body.size()}, options_.scan);
  if (!codes) return failure(status_of(codes.error()), codes.error());
  Json array = Json::array();
  for (const ScannedCode& code : *codes) array.push_back(scanned_code_json("-", code));
  return json_reply(dumped(array, 2));
}

}  // namespace tolvex::serve
