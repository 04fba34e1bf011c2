#include "serve/server.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvex::serve {
namespace {

using Clock = std::chrono::steady_clock;

// Set on the thread that answers connections beyond the bound: each gets 503 and is closed.
thread_local bool tRefusing = false;
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

// An answer after which the connection closes: the rest of the request is never read.
void answer_and_close(const Reply& reply, httplib::Response& response) {
  answer(reply, response);
  response.set_header("Connection", "close");
}

std::size_t header_bytes(const httplib::Request& request) {
  std::size_t bytes = request.target.size();
  for (const auto& [name, value] : request.headers) bytes += name.size() + value.size() + 4;
  return bytes;
}

}  // namespace

struct Server::State {
  State(Service& s, ServerOptions o) : service(s), options(std::move(o)) {}
  Service& service;
  ServerOptions options;
  httplib::Server http;
  bool bound = false;
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
  http.set_keep_alive_max_count(100);
  http.set_payload_max_length(kMaxFileBytes);

  http.set_pre_routing_handler([&state](const httplib::Request& request, httplib::Response& response) {
    tStarted = Clock::now();
    const auto refuse = [&](const Reply& reply) {
      state.service.record(request.path, reply, Clock::now() - *tStarted);
      answer_and_close(reply, response);
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
      answer_and_close(reply, response);
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
    answer_and_close(reply, response);
    return httplib::Server::HandlerResponse::Handled;
  }));

  // One line a request: never the body, nor the query (it may carry what a document says).
  http.set_logger([&state](const httplib::Request& request, const httplib::Response& response) {
    const double took = std::chrono::duration<double, std::milli>(Clock::now() - tStarted.value_or(Clock::now())).count();
    tStarted.reset();
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
  return port;
}

bool Server::run() {
  if (!state_->bound) return false;
  return state_->http.listen_after_bind();
}

void Server::stop() {
  state_->service.stop_accepting();
  state_->http.stop();
}

}  // namespace tolvex::serve
