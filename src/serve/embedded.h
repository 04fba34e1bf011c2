// What the binary carries for the service: the page, its OpenAPI description and the example
// documents, generated at build time from src/serve/page.html, src/serve/openapi.json and
// examples/*.xml.
#pragma once

#include <span>
#include <string_view>

namespace tolvex::serve {

struct Example {
  std::string_view name;  // the file's name, "pay-single.xml"
  std::string_view text;
};

extern const std::string_view kPage;
extern const std::string_view kOpenApi;
extern const std::span<const Example> kExamples;

}  // namespace tolvex::serve
