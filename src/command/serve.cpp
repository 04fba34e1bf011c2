// tolvex serve's options; the service itself runs in the program tolvex-serve.
#include "command/common.h"
#include "command/subcommands.h"

namespace tolvex::command {

std::optional<ListenAddress> listen_address(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  std::string_view host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::optional<std::int32_t> port = whole_number(text.substr(colon + 1), 0, 65535);
  if (!port) return std::nullopt;
  return ListenAddress{std::string(host), *port};
}

CLI::App* add_serve(CLI::App& app, ServeJob& job) {
  CLI::App* sub = app.add_subcommand("serve", "an HTTP service and a page for documents, codes and checks");
  sub->add_option("--listen", job.listen,
                  "address and port to listen on (default: 127.0.0.1:8080; port 0: any free)")
      ->type_name("HOST:PORT")
      ->check(CLI::Validator(
          [](std::string& value) -> std::string {
            return listen_address(value) ? std::string() : "'" + value + "' is not HOST:PORT";
          },
          ""));
  sub->add_option("--threads", job.threads, "documents worked on at once (default: the processor cores)")
      ->type_name("N")
      ->check(CLI::Range(1, 256));
  sub->add_option("--tokens", job.tokens, "file of bearer tokens, one a line: /v1/ then asks for one")
      ->type_name("FILE");
  sub->add_option("--logo-dir", job.logoDir, "directory of the logo pictures (default: as tolvex make finds them)")
      ->type_name("DIR");
  sub->add_flag("-q,--quiet", job.quiet, "no log line a request on standard error");
  sub->footer(
      "\nEndpoints: POST /v1/encode /v1/pictures /v1/check /v1/decode /v1/read; GET / (the page),\n"
      "/healthz, /readyz, /metrics, /openapi.json. SIGTERM or SIGINT stops it after the requests in\n"
      "flight.\n"
      "\nExample:\n  tolvex serve --listen=127.0.0.1:8080 --tokens=/etc/tolvex/tokens\n");
  return sub;
}

}  // namespace tolvex::command
