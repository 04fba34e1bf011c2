// The service on a socket, over cpp-httplib: connections on a bounded set of threads, bodies
// counted as they arrive and refused past their bound, one log line a request, and a stop that
// finishes what is in flight.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "serve/service.h"

namespace tolvex::serve {

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 8080;                 // 0: one the system chooses
  std::size_t connections = 256;   // connections served at once, each on its own thread
  std::size_t pending = 256;       // accepted connections waiting for one of those threads
  std::chrono::seconds readTimeout{5};
  std::chrono::seconds writeTimeout{5};
  std::chrono::seconds keepAlive{5};
  // A request's headers must arrive within headerTime (from the accept, or from the answer
  // before), its body and answer within bodyTime; then the connection is closed.
  std::chrono::milliseconds headerTime{10000};
  std::chrono::milliseconds bodyTime{60000};
  bool quiet = false;              // no log line a request
  std::FILE* log = stderr;
};

class Server {
 public:
  Server(Service& service, ServerOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the address; the port bound (the one asked, or the system's for 0), or -1.
  [[nodiscard]] int bind();
  // Serves until stop(); false when the address was never bound.
  bool run();
  // Stops accepting, lets the requests in flight finish; run() then returns. Safe from any thread.
  void stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tolvex::serve
