// Prints the JSON forms of an XML document for the schema check: the document as read, then as
// decoded from its text (computed amounts included), one per line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/xml.hpp"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream file(argv[1], std::ios::binary);
  const std::string xml{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const auto fail = [](const tolvex::Error& error) {
    std::cerr << error.line << '\n';
    return 1;
  };
  const auto read = tolvex::read_xml(xml);
  if (!read) return fail(read.error());
  const auto asRead = tolvex::to_json(**read);
  if (!asRead) return fail(asRead.error());
  const auto text = tolvex::encode(**read);
  if (!text) return fail(text.error());
  const auto decoded = tolvex::decode(*text);
  if (!decoded) return fail(decoded.error());
  const auto asDecoded = tolvex::to_json(**decoded);
  if (!asDecoded) return fail(asDecoded.error());
  std::cout << *asRead << '\n' << *asDecoded << '\n';
  return 0;
}
