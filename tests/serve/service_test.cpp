// The service's answers without sockets: every endpoint's success, its failure shape and status,
// the token check, the bounded queue, the metrics, and the OpenAPI description against the routes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "serve/embedded.h"
#include "serve/service.h"
#include "support/process.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/picture.hpp"

namespace tolvex::serve {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

using Json = nlohmann::json;

const std::string kSource = TOLVEX_SOURCE_DIR;

std::string example(const std::string& name) { return read_file(kSource + "/examples/" + name); }

ServiceOptions options_for_tests() {
  return ServiceOptions{.logoDirectory = kSource + "/logo/", .scan = ScanOptions{.isolated = false}};
}

Service& shared_service() {
  static Service service(options_for_tests());
  return service;
}

Call post(std::string path, std::string type, std::string body) {
  Call call{.method = "POST", .path = std::move(path), .body = std::move(body)};
  if (!type.empty()) call.headers.emplace("content-type", std::move(type));
  return call;
}

// Every failure: the one shape, its name the error code's, and diagnostics an array.
void expect_failure_shape(const Reply& reply, int status, const std::string& name) {
  EXPECT_EQ(reply.status, status) << reply.body;
  EXPECT_EQ(reply.contentType, "application/json");
  const Json shape = Json::parse(reply.body, nullptr, false);
  ASSERT_TRUE(shape.is_object()) << reply.body;
  const Json& error = shape["error"];
  for (const char* member : {"name", "message", "detail", "errorLine"}) EXPECT_TRUE(error[member].is_string()) << member;
  EXPECT_TRUE(error["code"].is_number_integer());
  EXPECT_EQ(error["name"], name);
  EXPECT_EQ(error["errorLine"].get<std::string>().rfind(name + ": ", 0), 0u) << reply.body;
  EXPECT_TRUE(shape["diagnostics"].is_array());
}

std::string header_of(const Reply& reply, const std::string& name) {
  for (const auto& [key, value] : reply.headers) {
    if (key == name) return value;
  }
  return {};
}

TEST(Service, EncodeGivesTheTextOfXmlAndJsonDocuments) {
  Service& service = shared_service();
  const std::string xml = example("invoice.xml");
  const Reply fromXml = service.handle(post("/v1/encode", "application/xml; charset=utf-8", xml));
  ASSERT_EQ(fromXml.status, 200) << fromXml.body;
  EXPECT_EQ(Json::parse(fromXml.body)["text"], *encode_xml(xml));

  // The JSON form of the same document gives the same text.
  const std::string text = *encode_xml(xml);
  const std::string jsonForm = *to_json(**decode(text));
  const Reply json = service.handle(post("/v1/encode", "application/json", jsonForm));
  EXPECT_EQ(json.status, 200) << json.body;
  EXPECT_EQ(Json::parse(json.body)["text"], text);
}

TEST(Service, ABadDocumentIs400WithTheChecksFindings) {
  Service& service = shared_service();
  std::string xml = example("pay-single.xml");
  xml.replace(xml.find("<Amount>12480.00</Amount>"), 25, "<Amount>twelve</Amount>");
  const Reply reply = service.handle(post("/v1/encode", "application/xml", xml));
  expect_failure_shape(reply, 400, "ERROR_XML");
  const Json diagnostics = Json::parse(reply.body)["diagnostics"];
  ASSERT_FALSE(diagnostics.empty());
  EXPECT_EQ(diagnostics[0]["severity"], "error");
  EXPECT_TRUE(diagnostics[0]["line"].is_number());

  expect_failure_shape(service.handle(post("/v1/encode", "application/xml", "<Pay")), 400, "ERROR_XML");
  expect_failure_shape(service.handle(post("/v1/decode", "text/plain", "0008U0003")), 400, "ERROR_COMPRESSION");
}

TEST(Service, PicturesInEachFormatWithTheirTypeAndMagic) {
  Service& service = shared_service();
  const std::string xml = example("pay-single.xml");
  struct Case {
    std::string query;
    std::string type;
    std::string magic;
  };
  for (const Case& c : {Case{"", "image/png", "\x89PNG"}, Case{"svg", "image/svg+xml", "<?xml"},
                        Case{"pdf", "application/pdf", "%PDF"}}) {
    Call call = post("/v1/pictures", "application/xml", xml);
    if (!c.query.empty()) call.query.emplace("format", c.query);
    const Reply reply = service.handle(call);
    ASSERT_EQ(reply.status, 200) << reply.body;
    EXPECT_EQ(reply.contentType, c.type);
    EXPECT_EQ(reply.body.rfind(c.magic, 0), 0u) << c.type;
  }
  // The plain code of an encoded text, 300 pixels: exactly what render draws.
  const std::string text = *encode_xml(xml);
  Call plain = post("/v1/pictures", "text/plain", text + "\n");
  plain.query = {{"logo", "false"}, {"size", "300"}};
  const Reply reply = service.handle(plain);
  ASSERT_EQ(reply.status, 200) << reply.body;
  const auto expected = render(text, {.size = 300, .compactVector = true});
  EXPECT_EQ(reply.body, std::string(expected->begin(), expected->end()));
}

TEST(Service, PictureOptionsAreCheckedAsOnTheCommandLine) {
  Service& service = shared_service();
  const std::string xml = example("pay-single.xml");
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"format", "gif"}, {"size", "0"},        {"size", "8001"},  {"size", "1e3"}, {"placement", "middle"},
      {"colour", "red"}, {"frame", "yes"},     {"logo", "maybe"}, {"file", "/etc/passwd"}, {"logoDir", "/tmp"}};
  for (const auto& [name, value] : refused) {
    Call call = post("/v1/pictures", "application/xml", xml);
    call.query.emplace(name, value);
    const Reply reply = service.handle(call);
    expect_failure_shape(reply, 400, "ERROR_ILLEGAL_ARGUMENT");
    EXPECT_NE(Json::parse(reply.body)["error"]["detail"].get<std::string>().find(name), std::string::npos) << name;
  }
  Call accepted = post("/v1/pictures", "application/xml", xml);
  accepted.query = {{"placement", "LEFT"}, {"color", "gray"}, {"frame", "false"}};
  EXPECT_EQ(service.handle(accepted).status, 200);
}

TEST(Service, CheckIs200WhateverItFinds) {
  Service& service = shared_service();
  std::string xml = example("pay-single.xml");
  xml.replace(xml.find("<InvoiceID>"), 11, "<InvoiceId>");
  xml.replace(xml.find("</InvoiceID>"), 12, "</InvoiceId>");
  const Reply reply = service.handle(post("/v1/check", "application/xml", xml));
  ASSERT_EQ(reply.status, 200) << reply.body;
  const Json report = Json::parse(reply.body);
  bool unknown = false;
  for (const Json& finding : report["diagnostics"]) unknown = unknown || finding["rule"].get<std::string>().find("unknown") != std::string::npos;
  EXPECT_TRUE(unknown) << reply.body;

  const Reply broken = service.handle(post("/v1/check", "application/xml", "<Pay><Amount>"));
  EXPECT_EQ(broken.status, 200);
  EXPECT_FALSE(Json::parse(broken.body)["valid"].get<bool>());
}

TEST(Service, DecodeGivesJsonXmlOrTheSummaryByAccept) {
  Service& service = shared_service();
  const std::string text = *encode_xml(example("pay-single.xml"));
  const Reply json = service.handle(post("/v1/decode", "text/plain", text));
  ASSERT_EQ(json.status, 200) << json.body;
  EXPECT_EQ(Json::parse(json.body)["Pay"]["InvoiceID"], "FV-2026-0142");

  Call asXml = post("/v1/decode", "text/plain", text);
  asXml.headers.emplace("Accept", "application/xml");
  const Reply xml = service.handle(asXml);
  EXPECT_EQ(xml.contentType, "application/xml");
  EXPECT_NE(xml.body.find("<InvoiceID>FV-2026-0142</InvoiceID>"), std::string::npos);

  Call asText = post("/v1/decode", "text/plain", text);
  asText.headers.emplace("ACCEPT", "text/plain");
  const Reply summary = service.handle(asText);
  EXPECT_EQ(summary.contentType, "text/plain; charset=utf-8");
  EXPECT_EQ(summary.body.rfind("Payment order", 0), 0u) << summary.body;
}

TEST(Service, ReadFindsTheCodeOfAPdfAsTolvexReadJsonDoes) {
  Service& service = shared_service();
  const std::string text = *encode_xml(example("pay-single.xml"));
  const auto pdf = render(text, {.format = ImageFormat::pdf});
  const Reply reply = service.handle(post("/v1/read", "application/pdf", std::string(pdf->begin(), pdf->end())));
  ASSERT_EQ(reply.status, 200) << reply.body;
  const Json codes = Json::parse(reply.body);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0]["text"], text);
  EXPECT_EQ(codes[0]["page"], 1);
  EXPECT_EQ(codes[0]["document"]["Pay"]["InvoiceID"], "FV-2026-0142");

  expect_failure_shape(service.handle(post("/v1/read", "image/png", "GIF89a not a png")), 415, "ERROR_ILLEGAL_ARGUMENT");
  expect_failure_shape(service.handle(post("/v1/read", "image/png", "\x89PNG\r\n\x1a\n broken")), 400, "ERROR_IO");
}

TEST(Service, UnknownTypesRoutesAndMethodsAreRefusedInTheShape) {
  Service& service = shared_service();
  const std::string xml = example("pay-single.xml");
  struct Case {
    Call call;
    int status;
  };
  std::vector<Case> cases = {
      {post("/v1/encode", "", xml), 415},
      {post("/v1/encode", "text/plain", xml), 415},
      {post("/v1/check", "application/x-www-form-urlencoded", xml), 415},
      {post("/v1/decode", "application/xml", xml), 415},
      {post("/v1/read", "text/html", xml), 415},
      {post("/v2/encode", "application/xml", xml), 404},
      {post("/healthz", "application/xml", xml), 405},
      {Call{.method = "GET", .path = "/v1/encode"}, 405},
      {Call{.method = "DELETE", .path = "/v1/check"}, 405},
  };
  for (const Case& c : cases) expect_failure_shape(service.handle(c.call), c.status, "ERROR_ILLEGAL_ARGUMENT");
  EXPECT_EQ(header_of(service.handle(Call{.method = "GET", .path = "/v1/encode"}), "Allow"), "POST");
}

TEST(Service, BodiesPastTheirBoundAre413) {
  Service& service = shared_service();
  expect_failure_shape(service.handle(post("/v1/check", "application/xml", std::string(kMaxDocumentBytes + 1, ' '))),
                       413, "ERROR_ILLEGAL_ARGUMENT");
  // A file to read has the larger bound: past 1 MiB it is still read (and found to be no picture).
  const Reply file = service.handle(post("/v1/read", "image/png", std::string(kMaxDocumentBytes + 1, 'x')));
  EXPECT_EQ(file.status, 415) << file.body;
  EXPECT_EQ(Service::body_limit("/v1/read"), kMaxFileBytes);
  EXPECT_EQ(Service::body_limit("/v1/pictures"), kMaxDocumentBytes);
}

TEST(Service, TokensGuardTheWorkButNotTheHealthEndpoints) {
  ServiceOptions options = options_for_tests();
  options.tokens = {"first-token", "second"};
  Service service(options);
  const std::string xml = example("pay-single.xml");
  const std::vector<std::pair<std::string, int>> offered = {
      {"", 401},          {"Bearer", 401},        {"Bearer ", 401},          {"Basic second", 401},
      {"Bearer secon", 401}, {"Bearer second2", 401}, {"Bearer first-token", 200}, {"bearer second", 200},
      {"Bearer  second ", 200}};
  for (const auto& [authorization, status] : offered) {
    Call call = post("/v1/encode", "application/xml", xml);
    if (!authorization.empty()) call.headers.emplace("Authorization", authorization);
    const Reply reply = service.handle(call);
    EXPECT_EQ(reply.status, status) << authorization;
    if (status == 401) {
      expect_failure_shape(reply, 401, "ERROR_ILLEGAL_ARGUMENT");
      EXPECT_EQ(header_of(reply, "WWW-Authenticate"), "Bearer");
    }
  }
  for (const char* path : {"/healthz", "/readyz", "/metrics", "/openapi.json", "/"}) {
    EXPECT_EQ(service.handle(Call{.method = "GET", .path = path}).status, 200) << path;
  }
}

TEST(Tokens, MatchOnlyWholeTokensAndReadFromTheFile) {
  const std::vector<std::string> tokens = {"abc", "longer-token"};
  EXPECT_TRUE(token_matches("abc", tokens));
  EXPECT_TRUE(token_matches("longer-token", tokens));
  for (const char* wrong : {"", "ab", "abcd", "abC", "longer-tokeN", "longer-token ", "xbc"}) {
    EXPECT_FALSE(token_matches(wrong, tokens)) << wrong;
  }
  EXPECT_FALSE(token_matches("abc", {}));

  const TempDir dir;
  write_file(dir.file("tokens"), "# the service's tokens\n  alpha  \r\n\nbeta\n");
  const Result<std::vector<std::string>> read = read_tokens(dir.file("tokens"));
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_FALSE(read_tokens(dir.file("missing")));
}

TEST(WorkPool, AWorkerThenTheQueueThenRefusalInOrder) {
  WorkPool pool(1, 1);
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false;
  bool started = false;
  std::vector<int> order;
  std::thread first([&] {
    EXPECT_TRUE(pool.run([&] {
      std::unique_lock lock(mutex);
      started = true;
      changed.notify_all();
      changed.wait(lock, [&] { return release; });
      order.push_back(1);
    }));
  });
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return started; }));
  }
  std::thread second([&] { EXPECT_TRUE(pool.run([&] { order.push_back(2); })); });
  // The second takes the one queue place; give it a bounded time to.
  for (int i = 0; i < 400 && pool.waiting() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(pool.waiting(), 1u);
  bool ranThird = false;
  EXPECT_FALSE(pool.run([&] { ranThird = true; })) << "the queue is full";
  {
    const std::lock_guard lock(mutex);
    release = true;
  }
  changed.notify_all();
  first.join();
  second.join();
  EXPECT_FALSE(ranThird);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_TRUE(pool.run([] {}));
}

TEST(Service, BusyIs503WithRetryAfterAndStoppingIsNotReady) {
  Service service(options_for_tests());
  const Reply busy = service.busy();
  expect_failure_shape(busy, 503, "ERROR_IO");
  EXPECT_EQ(header_of(busy, "Retry-After"), "1");
  EXPECT_EQ(service.handle(Call{.method = "GET", .path = "/readyz"}).status, 200);
  service.stopping();
  EXPECT_EQ(service.handle(Call{.method = "GET", .path = "/readyz"}).status, 503);
  // A request received before the listener closed is still answered.
  EXPECT_EQ(service.handle(post("/v1/check", "application/xml", "<Pay/>")).status, 200);
  EXPECT_EQ(service.handle(Call{.method = "GET", .path = "/healthz"}).status, 200);
}

TEST(Service, NotReadyWithoutItsLogos) {
  ServiceOptions options = options_for_tests();
  options.logoDirectory = kSource + "/no-such-logo-directory/";
  Service service(options);
  EXPECT_FALSE(service.ready());
  EXPECT_EQ(service.handle(Call{.method = "GET", .path = "/readyz"}).status, 503);
  EXPECT_EQ(service.handle(Call{.method = "GET", .path = "/healthz"}).status, 200);
}

TEST(Metrics, CountRequestsFailuresAndLatencyByEndpoint) {
  Service service(options_for_tests());
  static_cast<void>(service.handle(post("/v1/encode", "application/xml", example("pay-single.xml"))));
  static_cast<void>(service.handle(post("/v1/encode", "application/xml", "<")));
  static_cast<void>(service.handle(Call{.method = "GET", .path = "/random/path/1"}));
  static_cast<void>(service.handle(Call{.method = "GET", .path = "/random/path/2"}));
  const std::string text = service.handle(Call{.method = "GET", .path = "/metrics"}).body;
  EXPECT_NE(text.find("tolvex_requests_total{endpoint=\"/v1/encode\",code=\"200\"} 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("tolvex_requests_total{endpoint=\"/v1/encode\",code=\"400\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("tolvex_failures_total{endpoint=\"/v1/encode\",error=\"ERROR_XML\"} 1\n"), std::string::npos);
  // Unknown paths share one series, so that requests cannot grow the metrics.
  EXPECT_NE(text.find("tolvex_requests_total{endpoint=\"other\",code=\"404\"} 2\n"), std::string::npos);
  EXPECT_NE(text.find("tolvex_request_duration_seconds_count{endpoint=\"/v1/encode\"} 2\n"), std::string::npos);
  EXPECT_NE(text.find("tolvex_request_duration_seconds_bucket{endpoint=\"/v1/encode\",le=\"+Inf\"} 2\n"), std::string::npos);
  EXPECT_NE(text.find("tolvex_requests_in_flight 1\n"), std::string::npos) << "the metrics request itself";
}

TEST(OpenApi, DescribesExactlyTheRoutes) {
  const Json description = Json::parse(kOpenApi);
  EXPECT_EQ(description["openapi"].get<std::string>().rfind("3.1", 0), 0u);
  std::set<std::pair<std::string, std::string>> described;
  for (const auto& [path, operations] : description["paths"].items()) {
    for (const auto& [method, operation] : operations.items()) {
      std::string upper = method;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      described.emplace(upper, path);
      EXPECT_TRUE(operation.contains("responses")) << path;
    }
  }
  std::set<std::pair<std::string, std::string>> routed;
  for (const Route& route : Service::routes()) routed.emplace(route.method, route.path);
  EXPECT_EQ(described, routed);
  // Every failure response points at the one shape.
  const Json& failure = description["components"]["schemas"]["Failure"];
  EXPECT_EQ(failure["required"], Json::array({"error", "diagnostics"}));
}

TEST(Page, CarriesItsControlsAndEveryExample) {
  const Reply page = shared_service().handle(Call{.method = "GET", .path = "/"});
  ASSERT_EQ(page.status, 200);
  EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
  for (const char* id : {"id=\"document\"", "id=\"code\"", "id=\"diagnostics\"", "id=\"drop\"", "id=\"read\"",
                         "id=\"format\"", "id=\"placement\"", "id=\"colour\"", "id=\"frame\"", "id=\"size\"",
                         "id=\"download\"", "type=\"file\""}) {
    EXPECT_NE(page.body.find(id), std::string::npos) << id;
  }
  EXPECT_EQ(page.body.find("/*EXAMPLES*/"), std::string::npos);
  for (const char* elsewhere : {"src=\"http", "href=\"http", "src=\"//", "href=\"//", "@import", "fetch(\"http"}) {
    EXPECT_EQ(page.body.find(elsewhere), std::string::npos) << elsewhere;
  }
  ASSERT_GE(kExamples.size(), 9u);
  for (const Example& example : kExamples) EXPECT_NE(page.body.find(std::string(example.name)), std::string::npos);
  EXPECT_NE(header_of(page, "Content-Security-Policy").find("default-src 'self'"), std::string::npos);
}

}  // namespace
}  // namespace tolvex::serve
