// The service on a loopback socket, in process: bodies refused past their bound before they are
// read, slow clients that cannot hold the threads, connections past the bound refused with 503,
// malformed requests in the failure shape, the log line, and the stop on SIGTERM.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <thread>

#include "serve/server.h"
#include "support/process.h"

namespace tolvex::serve {
namespace {

using test::read_file;

using namespace std::chrono_literals;
using Json = nlohmann::json;

const std::string kSource = TOLVEX_SOURCE_DIR;

// A server on an ephemeral loopback port, run on its own thread for the test's life.
class Running {
 public:
  explicit Running(ServerOptions options = {}, ServiceOptions serviceOptions = {})
      : service_(with_logos(std::move(serviceOptions))), server_(service_, loopback(std::move(options))) {
    port_ = server_.bind();
    thread_ = std::thread([this] { server_.run(); });
  }
  ~Running() {
    server_.stop();
    thread_.join();
  }
  int port() const { return port_; }
  Server& server() { return server_; }
  httplib::Client client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(10s);
    client.set_connection_timeout(5s);
    return client;
  }

 private:
  static ServiceOptions with_logos(ServiceOptions options) {
    options.logoDirectory = kSource + "/logo/";
    options.scan.isolated = false;
    return options;
  }
  static ServerOptions loopback(ServerOptions options) {
    options.host = "127.0.0.1";
    options.port = 0;
    options.quiet = options.log == stderr;
    return options;
  }
  Service service_;
  Server server_;
  int port_ = -1;
  std::thread thread_;
};

int connect_to(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void send_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

// Whether the bytes hold a whole response with a Content-Length.
bool complete(const std::string& received) {
  const std::size_t end = received.find("\r\n\r\n");
  const std::size_t length = received.find("Content-Length: ");
  if (end == std::string::npos || length == std::string::npos || length > end) return false;
  return received.size() >= end + 4 + std::strtoul(received.c_str() + length + 16, nullptr, 10);
}

// What the server sends until it closes the connection or a whole response is there, or until
// the time is up.
std::string receive_until_closed(int fd, std::chrono::milliseconds within) {
  std::string received;
  const auto end = std::chrono::steady_clock::now() + within;
  while (std::chrono::steady_clock::now() < end && !complete(received)) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 50) <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    received.append(buffer, static_cast<std::size_t>(got));
  }
  return received;
}

std::string exchange(int port, std::string_view request, std::chrono::milliseconds within = 5000ms) {
  const int fd = connect_to(port);
  if (fd < 0) return {};
  send_all(fd, request);
  std::string response = receive_until_closed(fd, within);
  ::close(fd);
  return response;
}

// The status and the JSON body of a raw response.
std::pair<int, Json> parsed(const std::string& response) {
  if (response.rfind("HTTP/1.1 ", 0) != 0) return {0, Json()};
  const std::size_t body = response.find("\r\n\r\n");
  return {std::atoi(response.c_str() + 9),
          body == std::string::npos ? Json() : Json::parse(response.substr(body + 4), nullptr, false)};
}

void expect_shape(const Json& body, const std::string& name) {
  ASSERT_TRUE(body.is_object()) << body.dump();
  EXPECT_EQ(body["error"]["name"], name);
  EXPECT_TRUE(body["error"]["errorLine"].is_string());
  EXPECT_TRUE(body["diagnostics"].is_array());
}

TEST(Server, AnswersEveryEndpointOverHttp) {
  Running running;
  httplib::Client client = running.client();
  const std::string xml = read_file(kSource + "/examples/pay-single.xml");
  const auto encoded = client.Post("/v1/encode", xml, "application/xml");
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->status, 200);
  const std::string text = Json::parse(encoded->body)["text"];
  const auto picture = client.Post("/v1/pictures?format=svg&placement=top", text, "text/plain");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->status, 200);
  EXPECT_EQ(picture->get_header_value("Content-Type"), "image/svg+xml");
  const auto page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find("id=\"document\""), std::string::npos);
}

TEST(Server, RefusesABodyPastItsBoundBeforeReadingIt) {
  Running running;
  // Only the headers are sent: the answer comes without the 40 MiB or 2 MiB ever arriving.
  for (const auto& [path, length] : {std::pair{"/v1/read", 40u << 20}, std::pair{"/v1/check", 2u << 20}}) {
    const std::string response =
        exchange(running.port(), "POST " + std::string(path) + " HTTP/1.1\r\nHost: x\r\nContent-Type: image/png\r\n"
                                 "Content-Length: " + std::to_string(length) + "\r\n\r\n");
    const auto [status, body] = parsed(response);
    EXPECT_EQ(status, 413) << path << ": " << response;
    expect_shape(body, "ERROR_ILLEGAL_ARGUMENT");
    EXPECT_NE(response.find("Connection: close"), std::string::npos);
  }
}

TEST(Server, RefusesAChunkedBodyOnceItPassesTheBound) {
  Running running;
  const int fd = connect_to(running.port());
  ASSERT_GE(fd, 0);
  send_all(fd, "POST /v1/check HTTP/1.1\r\nHost: x\r\nContent-Type: application/xml\r\nTransfer-Encoding: chunked\r\n\r\n");
  const std::string chunk(64 << 10, ' ');
  char size[16];
  std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
  // 17 chunks of 64 KiB: one past the 1 MiB bound; the server stops reading there.
  for (int i = 0; i < 17; ++i) send_all(fd, std::string(size) + chunk + "\r\n");
  const std::string response = receive_until_closed(fd, 5000ms);
  ::close(fd);
  const auto [status, body] = parsed(response);
  EXPECT_EQ(status, 413) << response.substr(0, 200);
  expect_shape(body, "ERROR_ILLEGAL_ARGUMENT");
}

TEST(Server, MalformedRequestsAreAnsweredInTheShape) {
  Running running;
  const std::string longHeaders = [] {
    std::string headers;
    for (int i = 0; i < 40; ++i) headers += "X-Filler-" + std::to_string(i) + ": " + std::string(500, 'a') + "\r\n";
    return headers;
  }();
  const std::vector<std::pair<std::string, int>> cases = {
      {"NONSENSE\r\n\r\n", 400},
      {"GET /" + std::string(9000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", 414},
      {"GET /healthz HTTP/1.1\r\nHost: x\r\n" + longHeaders + "\r\n", 431},
  };
  for (const auto& [request, expected] : cases) {
    const std::string response = exchange(running.port(), request);
    const auto [status, body] = parsed(response);
    EXPECT_EQ(status, expected) << response.substr(0, 300);
    expect_shape(body, "ERROR_ILLEGAL_ARGUMENT");
  }
  // The server still answers.
  const auto health = running.client().Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
}

TEST(Server, SlowClientsCannotHoldTheThreads) {
  // Four connection threads; eight clients each send a request's headers a byte at a time,
  // within every read timeout but never finishing. Normal requests still answer.
  Running running(ServerOptions{.connections = 4, .pending = 16, .headerTime = 1000ms});
  std::atomic<bool> done = false;
  std::vector<std::thread> slow;
  for (int i = 0; i < 8; ++i) {
    slow.emplace_back([&] {
      const int fd = connect_to(running.port());
      const std::string request = "GET /healthz HTTP/1.1\r\nHost: x\r\nX-Slow: ";
      for (std::size_t at = 0; !done && at < 40; ++at) {
        send_all(fd, std::string_view(at < request.size() ? &request[at] : "a", 1));
        std::this_thread::sleep_for(250ms);
      }
      ::close(fd);
    });
  }
  std::this_thread::sleep_for(300ms);
  int answered = 0;
  for (int i = 0; i < 3; ++i) {
    httplib::Client client = running.client();
    client.set_read_timeout(5s);
    const auto reply = client.Get("/healthz");
    answered += reply && reply->status == 200 ? 1 : 0;
  }
  done = true;
  for (std::thread& thread : slow) thread.join();
  EXPECT_EQ(answered, 3);
}

TEST(Server, ConnectionsPastTheBoundAre503WithRetryAfter) {
  // One connection thread and no waiting place: an idle connection holds the thread, and the
  // next connection is answered by the refusing thread.
  Running running(ServerOptions{.connections = 1, .pending = 0, .headerTime = 3000ms});
  const int idle = connect_to(running.port());
  ASSERT_GE(idle, 0);
  std::this_thread::sleep_for(200ms);
  const std::string response = exchange(running.port(), "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n");
  ::close(idle);
  const auto [status, body] = parsed(response);
  EXPECT_EQ(status, 503) << response;
  EXPECT_NE(response.find("Retry-After: 1"), std::string::npos);
  expect_shape(body, "ERROR_IO");
}

TEST(Server, LogsOneLineARequestWithoutTheDocument) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  {
    Running running(ServerOptions{.quiet = false, .log = log});
    httplib::Client client = running.client();
    std::string xml = read_file(kSource + "/examples/pay-single.xml");
    const auto checked = client.Post("/v1/check?secret=QUERYVALUE", xml, "application/xml");
    ASSERT_TRUE(checked);
    ASSERT_TRUE(client.Get("/healthz"));
  }
  std::rewind(log);
  std::string lines;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, log) != nullptr) lines += buffer;
  std::fclose(log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
  // The two requests' lines, in either order (each is written once its answer is).
  EXPECT_TRUE(lines.rfind("POST /v1/check 200 ", 0) == 0 || lines.find("\nPOST /v1/check 200 ") != std::string::npos)
      << lines;
  EXPECT_TRUE(lines.rfind("GET /healthz 200 ", 0) == 0 || lines.find("\nGET /healthz 200 ") != std::string::npos);
  EXPECT_NE(lines.find(" in="), std::string::npos);
  for (const char* content : {"FV-2026-0142", "QUERYVALUE", "<Pay"}) EXPECT_EQ(lines.find(content), std::string::npos) << content;
}

TEST(Server, StopFinishesTheRequestsInFlight) {
  std::optional<Running> running(std::in_place);
  const std::string xml = read_file(kSource + "/examples/invoice.xml");
  std::vector<std::thread> clients;
  std::array<int, 4> statuses{};
  std::array<bool, 4> whole{};
  for (std::size_t i = 0; i < statuses.size(); ++i) {
    clients.emplace_back([&, i] {
      for (int round = 0; round < 20; ++round) {
        const auto reply = running->client().Post("/v1/pictures?format=pdf", xml, "application/xml");
        if (!reply) return;  // the server had stopped accepting
        statuses[i] = reply->status;
        whole[i] = reply->body.rfind("%PDF", 0) == 0 && reply->body.find("%%EOF") != std::string::npos;
        if (reply->status != 200) return;
      }
    });
  }
  // Wait (bounded) until requests are being answered, then stop in the middle of them.
  for (int i = 0; i < 100; ++i) {
    const auto metrics = running->client().Get("/metrics");
    if (metrics && metrics->body.find("tolvex_requests_in_flight 1\n") == std::string::npos) break;
    std::this_thread::sleep_for(10ms);
  }
  running.reset();
  for (std::thread& thread : clients) thread.join();
  int answered = 0;
  for (std::size_t i = 0; i < statuses.size(); ++i) {
    if (statuses[i] == 0) continue;
    ++answered;
    EXPECT_EQ(statuses[i], 200) << "a request in flight was cut off";
    EXPECT_TRUE(whole[i]);
  }
  EXPECT_GE(answered, 1);
}

TEST(Command, SigtermStopsTheServiceWithStatusZero) {
  int errors[2];
  ASSERT_EQ(::pipe(errors), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(errors[1], 2);
    ::execl(TOLVEX_COMMAND_PATH, "tolvex", "serve", "--listen=127.0.0.1:0", "--quiet",
            ("--logo-dir=" + kSource + "/logo").c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(errors[1]);
  std::string said;
  for (int i = 0; i < 100 && said.find("/\n") == std::string::npos; ++i) {
    pollfd ready{errors[0], POLLIN, 0};
    if (::poll(&ready, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t got = ::read(errors[0], buffer, sizeof buffer);
    if (got <= 0) break;
    said.append(buffer, static_cast<std::size_t>(got));
  }
  const std::size_t colon = said.rfind(':');
  ASSERT_NE(colon, std::string::npos) << said;
  const int port = std::atoi(said.c_str() + colon + 1);
  httplib::Client client("127.0.0.1", port);
  const auto health = client.Get("/healthz");
  ASSERT_TRUE(health) << said;
  EXPECT_EQ(health->status, 200);

  ::kill(child, SIGTERM);
  int status = -1;
  for (int i = 0; i < 200 && ::waitpid(child, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(50ms);
  if (status == -1) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    FAIL() << "still running 10 s after SIGTERM";
  }
  ::close(errors[0]);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tolvex::serve
