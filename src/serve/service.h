// The HTTP service's answers, apart from sockets: a request in, a reply out. The server
// (server.h) feeds it what cpp-httplib parsed; the fuzzer and the tests call it directly.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "serve/work_pool.h"
#include "serve/metrics.h"
#include "tolvex/result.hpp"
#include "tolvex/scan.hpp"

namespace tolvex::serve {

inline constexpr std::size_t kMaxDocumentBytes = 1u << 20;  // documents and encoded texts
inline constexpr std::size_t kMaxFileBytes = 32u << 20;     // pictures and PDF files to read
inline constexpr std::size_t kMaxHeaderBytes = 16u << 10;   // every header line together
inline constexpr int kRetryAfterSeconds = 1;

// Header names compared without regard to letter case, as HTTP compares them.
struct Caseless {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct Call {
  std::string method;
  std::string path;  // without the query
  std::multimap<std::string, std::string> query{};
  std::multimap<std::string, std::string, Caseless> headers{};
  std::string body{};
};

struct Reply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body{};
  std::vector<std::pair<std::string, std::string>> headers{};
  std::string errorName{};  // the failure's code name, for the metrics; empty on success
};

struct ServiceOptions {
  std::string logoDirectory{};      // ends in "/"; fixed for the service's life
  std::vector<std::string> tokens{};  // empty: /v1/ is open
  std::size_t workers = 2;          // documents worked on at once
  std::size_t queue = 64;           // requests waiting for a worker; more are refused with 503
  ScanOptions scan{};
};

// One route of the service: the paths the OpenAPI description must list.
struct Route {
  std::string_view method;
  std::string_view path;
};

class Service {
 public:
  explicit Service(ServiceOptions options);

  // The answer to one call; never throws, and a bad input is never a 5xx.
  [[nodiscard]] Reply handle(const Call& call);

  // The body bound of a path: 32 MiB for /v1/read, 1 MiB for the others.
  [[nodiscard]] static std::size_t body_limit(std::string_view path);

  // Refusals the server makes before a body is read whole, in the one failure shape.
  [[nodiscard]] static Reply too_large(std::size_t limit);
  [[nodiscard]] static Reply malformed(int status);
  [[nodiscard]] Reply busy();

  // Counts a request answered without handle (refused by the server before its body was read).
  void record(std::string_view path, const Reply& reply, std::chrono::duration<double> took);

  [[nodiscard]] static const std::vector<Route>& routes();

  // Whether the logo pictures were found at start and the service takes work.
  [[nodiscard]] bool ready() const { return ready_; }
  // Stopping: /readyz answers 503 so that balancers send nothing more; the requests already
  // received still run to their answers.
  void stopping() { stopping_ = true; }

  [[nodiscard]] Metrics& metrics() { return metrics_; }

 private:
  Reply route(const Call& call);
  Reply work(const Call& call);
  Reply encode(const Call& call);
  Reply pictures(const Call& call);
  Reply check(const Call& call);
  Reply decode(const Call& call);
  Reply read(const Call& call);
  Reply health(bool ready) const;
  [[nodiscard]] bool authorised(const Call& call) const;

  ServiceOptions options_;
  Metrics metrics_;
  std::string page_;
  WorkPool pool_;  // last: its workers stop before the rest goes
  bool ready_ = false;
  std::atomic<bool> stopping_{false};
};

// The failure shape: {"error": {"code", "name", "message", "detail", "errorLine"}, "diagnostics": [...]}.
[[nodiscard]] Reply failure(int status, const Error& error, std::string diagnostics = "[]");

// The tokens of a file: one a line, white space around it and empty lines ignored, "#" opening
// a comment line. A file that cannot be read is Errc::io naming it.
[[nodiscard]] Result<std::vector<std::string>> read_tokens(const std::string& file);

// Whether the offered token equals one of the tokens, in time that depends only on the lengths.
[[nodiscard]] bool token_matches(std::string_view offered, const std::vector<std::string>& tokens);

}  // namespace tolvex::serve
