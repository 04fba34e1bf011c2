#include "serve/server.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvex::serve {
namespace {

using Clock = std::chrono::steady_clock;

// Set on the thread that answers connections beyond the bound: each gets 503 and is closed.
thread_local bool tRefusing = false;
// Whether the connection of the request being answered closes after the answer.
thread_local bool tCloseAfter = false;
// When the request being answered on this thread had its headers read.
thread_local std::optional<Clock::time_point> tStarted;

// Connections on a fixed set of threads, with a bounded wait for one. Past that bound a
// connection goes to one refusing thread (503, Retry-After, closed), whose wait is bounded too;
// past both, the accepting thread refuses it itself, which holds further accepts back.
class ConnectionPool final : public httplib::TaskQueue {
 public:
  ConnectionPool(std::size_t threads, std::size_t pending) : pending_(pending) {
    for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { work(jobs_, false); });
    threads_.emplace_back([this] { work(refusals_, true); });
  }

  void enqueue(std::function<void()> fn) override {
    {
      std::unique_lock lock(mutex_);
      if (jobs_.size() < pending_) {
        jobs_.push_back(std::move(fn));
        lock.unlock();
        ready_.notify_all();
        return;
      }
      if (refusals_.size() < pending_) {
        refusals_.push_back(std::move(fn));
        lock.unlock();
        ready_.notify_all();
        return;
      }
    }
    tRefusing = true;
    fn();
    tRefusing = false;
  }

  void shutdown() override {
    {
      const std::lock_guard lock(mutex_);
      shutdown_ = true;
    }
    ready_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

 private:
  void work(std::deque<std::function<void()>>& queue, bool refusing) {
    tRefusing = refusing;
    for (;;) {
      std::function<void()> fn;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return shutdown_ || !queue.empty(); });
        if (queue.empty()) return;
        fn = std::move(queue.front());
        queue.pop_front();
      }
      fn();
    }
  }

  const std::size_t pending_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
  std::deque<std::function<void()>> refusals_;
  bool shutdown_ = false;
  std::vector<std::thread> threads_;
};

// The peer of a socket as cpp-httplib names it (numeric address, port), and the local port;
// nullopt for what is no connected TCP socket.
struct Peer {
  std::string address;
  int port = 0;
  int localPort = 0;
  bool operator==(const Peer&) const = default;
};

std::optional<Peer> peer_of(int fd) {
  sockaddr_storage local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return std::nullopt;
  sockaddr_storage remote{};
  length = sizeof remote;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &length) != 0) return std::nullopt;
  char text[INET6_ADDRSTRLEN] = {};
  Peer peer;
  if (remote.ss_family == AF_INET) {
    const auto* r = reinterpret_cast<const sockaddr_in*>(&remote);
    ::inet_ntop(AF_INET, &r->sin_addr, text, sizeof text);
    peer.port = ntohs(r->sin_port);
    peer.localPort = ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port);
  } else if (remote.ss_family == AF_INET6) {
    const auto* r = reinterpret_cast<const sockaddr_in6*>(&remote);
    ::inet_ntop(AF_INET6, &r->sin6_addr, text, sizeof text);
    peer.port = ntohs(r->sin6_port);
    peer.localPort = ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port);
  } else {
    return std::nullopt;
  }
  peer.address = text;
  return peer;
}

// Deadlines on connections, which per-read timeouts alone do not give: a client sending a byte
// a second never trips them. A connection has headerTime to send a request's headers (from
// its accept, or from the answer before), then bodyTime for its body and answer; past that the
// socket is shut down and its thread freed. The sockets are found as the process's sockets
// on the listening port, since cpp-httplib does not hand them out.
class Watchdog {
 public:
  Watchdog(std::chrono::milliseconds headerTime, std::chrono::milliseconds bodyTime)
      : headerTime_(headerTime), bodyTime_(bodyTime), thread_([this] { watch(); }) {}
  ~Watchdog() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  void listen_on(int port) { port_ = port; }

  // The request's headers were read: its body and answer have bodyTime.
  void headers_read(const std::string& address, int port) { extend(address, port, bodyTime_); }
  // The answer was written: the next request's headers have headerTime.
  void answered(const std::string& address, int port) { extend(address, port, headerTime_); }

  // Nothing more is read from the connection: the answer is still written, then it closes.
  // cpp-httplib keeps a connection for the next request whatever the answer says.
  void stop_reading(const std::string& address, int port) {
    DIR* fds = ::opendir("/proc/self/fd");
    if (fds == nullptr) return;
    while (const dirent* entry = ::readdir(fds)) {
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      const int fd = std::atoi(entry->d_name);
      const std::optional<Peer> peer = peer_of(fd);
      if (peer && peer->localPort == port_.load() && peer->address == address && peer->port == port) {
        ::shutdown(fd, SHUT_RD);
      }
    }
    ::closedir(fds);
  }

 private:
  struct Connection {
    Peer peer;
    Clock::time_point deadline;
    bool seen = false;
  };

  void extend(const std::string& address, int port, std::chrono::milliseconds time) {
    const std::lock_guard lock(mutex_);
    for (auto& [fd, connection] : connections_) {
      if (connection.peer.address == address && connection.peer.port == port) connection.deadline = Clock::now() + time;
    }
  }

  void watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping_; })) {
      const int port = port_.load();
      if (port <= 0) continue;
      const Clock::time_point now = Clock::now();
      for (auto& [fd, connection] : connections_) connection.seen = false;
      DIR* fds = ::opendir("/proc/self/fd");
      if (fds == nullptr) continue;
      while (const dirent* entry = ::readdir(fds)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        const int fd = std::atoi(entry->d_name);
        const std::optional<Peer> peer = peer_of(fd);
        if (!peer || peer->localPort != port) continue;
        auto known = connections_.find(fd);
        if (known == connections_.end() || !(known->second.peer == *peer)) {
          known = connections_.insert_or_assign(fd, Connection{*peer, now + headerTime_}).first;
        }
        known->second.seen = true;
        if (now > known->second.deadline) {
          ::shutdown(fd, SHUT_RDWR);
          known->second.deadline = Clock::time_point::max();
        }
      }
      ::closedir(fds);
      std::erase_if(connections_, [](const auto& item) { return !item.second.seen; });
    }
  }

  const std::chrono::milliseconds headerTime_;
  const std::chrono::milliseconds bodyTime_;
  std::atomic<int> port_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<int, Connection> connections_;
  bool stopping_ = false;
  std::thread thread_;
};

// cpp-httplib listens with a backlog of 5 (fixed when Debian built it): a burst of connections
// then waits for SYN retransmits, a second and more. Listening again on the bound socket, found
// by its port, only raises the backlog.
void widen_backlog(int port) {
  DIR* fds = ::opendir("/proc/self/fd");
  if (fds == nullptr) return;
  while (const dirent* entry = ::readdir(fds)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    const int fd = std::atoi(entry->d_name);
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) continue;
    int bound = 0;
    if (local.ss_family == AF_INET) bound = ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port);
    if (local.ss_family == AF_INET6) bound = ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port);
    int listening = 0;
    length = sizeof listening;
    if (bound == port && ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) == 0 && listening != 0) {
      ::listen(fd, SOMAXCONN);
    }
  }
  ::closedir(fds);
}

Call call_of(const httplib::Request& request) {
  Call call{.method = request.method, .path = request.path};
  for (const auto& [name, value] : request.params) call.query.emplace(name, value);
  for (const auto& [name, value] : request.headers) call.headers.emplace(name, value);
  return call;
}

void answer(const Reply& reply, httplib::Response& response) {
  response.status = reply.status;
  for (const auto& [name, value] : reply.headers) response.set_header(name, value);
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Cache-Control", "no-store");
  response.set_content(reply.body, reply.contentType);
}


std::size_t header_bytes(const httplib::Request& request) {
  std::size_t bytes = request.target.size();
  for (const auto& [name, value] : request.headers) bytes += name.size() + value.size() + 4;
  return bytes;
}

}  // namespace

struct Server::State {
  State(Service& s, ServerOptions o)
      : service(s), options(std::move(o)), watchdog(options.headerTime, options.bodyTime) {}
  Service& service;
  ServerOptions options;
  Watchdog watchdog;
  httplib::Server http;
  bool bound = false;

  // An answer after which the connection closes: the rest of the request is never read.
  void answer_and_close(const Reply& reply, httplib::Response& response) {
    answer(reply, response);
    response.set_header("Connection", "close");
    tCloseAfter = true;
  }
};

Server::Server(Service& service, ServerOptions options) : state_(std::make_unique<State>(service, std::move(options))) {
  State& state = *state_;
  httplib::Server& http = state.http;
  const ServerOptions& o = state.options;
  http.new_task_queue = [connections = o.connections, pending = o.pending] {
    return new ConnectionPool(connections, pending);
  };
  http.set_read_timeout(o.readTimeout);
  http.set_write_timeout(o.writeTimeout);
  http.set_keep_alive_timeout(o.keepAlive.count());
  http.set_keep_alive_max_count(1000);
  // A head and a body written apart must not wait for the delayed acknowledgement (40 ms).
  http.set_tcp_nodelay(true);
  http.set_payload_max_length(kMaxFileBytes);

  http.set_pre_routing_handler([&state](const httplib::Request& request, httplib::Response& response) {
    tStarted = Clock::now();
    state.watchdog.headers_read(request.remote_addr, request.remote_port);
    const auto refuse = [&](const Reply& reply) {
      state.service.record(request.path, reply, Clock::now() - *tStarted);
      state.answer_and_close(reply, response);
      return httplib::Server::HandlerResponse::Handled;
    };
    if (tRefusing) return refuse(state.service.busy());
    if (header_bytes(request) > kMaxHeaderBytes) return refuse(Service::malformed(431));
    const std::size_t limit = Service::body_limit(request.path);
    if (request.has_header("Content-Length") && request.get_header_value<std::uint64_t>("Content-Length") > limit) {
      return refuse(Service::too_large(limit));
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  const auto get = [&state](const httplib::Request& request, httplib::Response& response) {
    answer(state.service.handle(call_of(request)), response);
  };
  const auto with_body = [&state](const httplib::Request& request, httplib::Response& response,
                                  const httplib::ContentReader& reader) {
    Call call = call_of(request);
    const std::size_t limit = Service::body_limit(request.path);
    bool over = false;
    reader([&](const char* data, std::size_t length) {
      if (call.body.size() + length > limit) {
        over = true;
        return false;
      }
      call.body.append(data, length);
      return true;
    });
    if (over) {
      const Reply reply = Service::too_large(limit);
      state.service.record(request.path, reply, Clock::now() - tStarted.value_or(Clock::now()));
      state.answer_and_close(reply, response);
      return;
    }
    answer(state.service.handle(call), response);
  };
  http.Get(".*", get);
  http.Post(".*", with_body);
  http.Put(".*", with_body);
  http.Patch(".*", with_body);
  http.Delete(".*", with_body);

  // What cpp-httplib refuses itself (a malformed request, a line too long) in the one shape.
  http.set_error_handler(httplib::Server::HandlerWithResponse([&state](const httplib::Request& request,
                                                                     httplib::Response& response) {
    if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    const Reply reply = Service::malformed(response.status);
    state.service.record(request.path, reply, Clock::now() - tStarted.value_or(Clock::now()));
    state.answer_and_close(reply, response);
    return httplib::Server::HandlerResponse::Handled;
  }));

  // One line a request: never the body, nor the query (it may carry what a document says).
  http.set_logger([&state](const httplib::Request& request, const httplib::Response& response) {
    const double took = std::chrono::duration<double, std::milli>(Clock::now() - tStarted.value_or(Clock::now())).count();
    tStarted.reset();
    state.watchdog.answered(request.remote_addr, request.remote_port);
    // Written: now the connection may stop reading (before, cpp-httplib would not write).
    if (tCloseAfter) state.watchdog.stop_reading(request.remote_addr, request.remote_port);
    tCloseAfter = false;
    if (state.options.quiet) return;
    const std::string in = request.has_header("Content-Length") ? request.get_header_value("Content-Length") : "0";
    std::fprintf(state.options.log, "%s %s %d %.1fms in=%s out=%zu\n", request.method.c_str(), request.path.c_str(),
                 response.status, took, in.c_str(), response.body.size());
  });
}

Server::~Server() { stop(); }

int Server::bind() {
  State& state = *state_;
  const int port = state.options.port == 0 ? state.http.bind_to_any_port(state.options.host)
                                           : (state.http.bind_to_port(state.options.host, state.options.port)
                                                  ? state.options.port
                                                  : -1);
  state.bound = port > 0;
  state.watchdog.listen_on(port);
  if (state.bound) widen_backlog(port);
  return port;
}

bool Server::run() {
  if (!state_->bound) return false;
  return state_->http.listen_after_bind();
}

void Server::stop() {
  state_->service.stopping();
  state_->http.stop();
}

}  // namespace tolvex::serve
