// The service's request handling without sockets: any method, path, query, headers and body.
// Properties: a bad input is never a 5xx, and every failure is in the one JSON shape.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "require.h"
#include "serve/service.h"

namespace {

using tolvex::fuzz::require;

tolvex::serve::Service& service() {
  static tolvex::serve::Service instance(tolvex::serve::ServiceOptions{
      .logoDirectory = std::string(TOLVEX_SOURCE_DIR) + "/logo/", .tokens = {}, .workers = 1, .queue = 1,
      .scan = tolvex::ScanOptions{.isolated = false}});
  return instance;
}

// The input's parts, cut at NUL bytes: method and path choice, query, headers, body.
std::vector<std::string_view> parts(std::string_view data, std::size_t count) {
  std::vector<std::string_view> result;
  while (result.size() + 1 < count) {
    const std::size_t end = data.find('\0');
    if (end == std::string_view::npos) break;
    result.push_back(data.substr(0, end));
    data.remove_prefix(end + 1);
  }
  result.push_back(data);
  result.resize(count);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::string_view kTypes[] = {"application/xml", "application/json", "text/plain", "image/png",
                                                "application/pdf", "image/jpeg", "text/html", ""};
  const auto& routes = tolvex::serve::Service::routes();
  const std::uint8_t choice = data[0];
  const std::vector<std::string_view> part = parts({reinterpret_cast<const char*>(data) + 1, size - 1}, 4);

  tolvex::serve::Call call;
  call.method = (choice & 0x80) != 0 ? "GET" : "POST";
  call.path = (choice & 0x40) != 0 ? std::string(part[0]) : std::string(routes[(choice & 0x0f) % routes.size()].path);
  // The query as key=value pairs separated by "&", as the server splits it.
  for (std::string_view rest = part[1]; !rest.empty();) {
    const std::size_t amp = rest.find('&');
    const std::string_view pair = rest.substr(0, amp);
    const std::size_t equals = pair.find('=');
    call.query.emplace(std::string(pair.substr(0, equals)),
                       equals == std::string_view::npos ? std::string() : std::string(pair.substr(equals + 1)));
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
  }
  // Header lines "Name: value".
  for (std::string_view rest = part[2]; !rest.empty();) {
    const std::size_t newline = rest.find('\n');
    const std::string_view line = rest.substr(0, newline);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) call.headers.emplace(std::string(line.substr(0, colon)), std::string(line.substr(colon + 1)));
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
  }
  if (call.headers.find("Content-Type") == call.headers.end()) {
    call.headers.emplace("Content-Type", std::string(kTypes[(choice >> 4) % std::size(kTypes)]));
  }
  call.body = std::string(part[3]);

  const tolvex::serve::Reply reply = service().handle(call);
  require(reply.status >= 200 && reply.status < 600, "a status");
  require(reply.status < 500 || reply.status == 503, "no 5xx for a request");
  if (reply.status >= 400) {
    const nlohmann::json shape = nlohmann::json::parse(reply.body, nullptr, false);
    require(shape.is_object() && shape.contains("error") && shape["diagnostics"].is_array(), "the failure shape");
    const nlohmann::json& error = shape["error"];
    require(error["code"].is_number_integer() && error["name"].is_string() && error["message"].is_string() &&
                error["detail"].is_string() && error["errorLine"].is_string(),
            "the error's members");
  }
  return 0;
}
