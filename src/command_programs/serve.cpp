// tolvex serve: the HTTP service and its page, until SIGTERM or SIGINT.
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "command/common.h"
#include "command/subcommands.h"
#include "command_programs/programs.h"
#include "serve/server.h"

namespace tolvex::command {
namespace {

// After a stop signal the requests in flight have this long; then the process ends anyway.
constexpr std::chrono::seconds kStopBound{15};

}  // namespace

int run_serve(const ServeJob& job) {
  const std::optional<ListenAddress> address = listen_address(job.listen);
  serve::ServiceOptions options{.logoDirectory = find_logo_directory(logo_search(job.logoDir))};
  if (job.tokens) {
    Result<std::vector<std::string>> tokens = serve::read_tokens(*job.tokens);
    if (!tokens) {
      print_failure(tokens.error(), std::nullopt);
      return kExitFailed;
    }
    options.tokens = std::move(*tokens);
  }
  const std::size_t threads = job.threads ? static_cast<std::size_t>(*job.threads)
                                          : std::max(1u, std::thread::hardware_concurrency());
  serve::ServerOptions serverOptions{.host = address->host, .port = address->port, .quiet = job.quiet};
  serverOptions.connections = std::max<std::size_t>(serverOptions.connections, 4 * threads);
  options.workers = threads;
  options.queue = serverOptions.connections;

  // The signals are taken by one thread; every other thread is started with them blocked.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  serve::Service service(std::move(options));
  if (!service.ready()) std::fprintf(stderr, "tolvex serve: the logo pictures in %s do not draw; /readyz says so\n",
                                     find_logo_directory(logo_search(job.logoDir)).c_str());
  serve::Server server(service, serverOptions);
  const int port = server.bind();
  if (port < 0) {
    std::fprintf(stderr, "tolvex serve: cannot listen on %s\n", job.listen.c_str());
    return kExitFailed;
  }
  std::fprintf(stderr, "tolvex serve: listening on http://%s:%d/\n", address->host.c_str(), port);
  std::fflush(stderr);

  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::thread watcher([&] {
    int signal = 0;
    sigwait(&signals, &signal);
    if (signal == SIGUSR1) return;
    server.stop();
    std::unique_lock lock(mutex);
    if (!done.wait_for(lock, kStopBound, [&] { return finished; })) {
      std::fprintf(stderr, "tolvex serve: requests still running after %llds, stopping anyway\n",
                   static_cast<long long>(kStopBound.count()));
      std::_Exit(kExitOk);
    }
  });
  server.run();
  {
    const std::lock_guard lock(mutex);
    finished = true;
  }
  done.notify_all();
  pthread_kill(watcher.native_handle(), SIGUSR1);
  watcher.join();
  return kExitOk;
}

}  // namespace tolvex::command
