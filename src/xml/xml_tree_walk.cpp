#include "xml/xml_tree_walk.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace tolvex {
namespace {

struct XmlFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

std::string content_of(const xmlNode* node) {
  const std::unique_ptr<xmlChar, XmlFree> content(xmlNodeListGetString(node->doc, node->children, 1));
  return content == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(content.get()));
}

bool blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

void XmlTreeWalker::add(XmlWalkFinding finding) {
  if (out_.findings.size() < kXmlWalkMaxFindings) {
    out_.findings.push_back(std::move(finding));
  } else {
    ++out_.dropped;
  }
}

const xmlNode* XmlTreeWalker::first(std::string_view name) {
  known_.emplace_back(name);
  const xmlNode* found = nullptr;
  for (const xmlNode* child = element_->children; child != nullptr; child = child->next) {
    if (!xml_is_element(child, name)) continue;
    if (found == nullptr) {
      found = child;
    } else {
      add({XmlWalkProblem::repeated_element, path_of(name), std::string(name), {},
                               xmlGetLineNo(child), {}});
    }
  }
  return found;
}

void XmlTreeWalker::leaf(std::string_view name, bool computed, bool number, bool decimal, ErrorCode read) {
  const xmlNode* child = first(name);
  if (child == nullptr) return;
  std::optional<Error> unread;
  if (read != ERROR_OK) unread = error_of(read);
  out_.leaves.push_back({path_of(name), std::string(name), content_of(child), xmlGetLineNo(child), computed, number,
                         decimal, child, std::move(unread)});
}

void XmlTreeWalker::finish() {
  out_.records[record_].known = known_;
  for (const xmlNode* child = element_->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      const std::string text = child->content != nullptr ? reinterpret_cast<const char*>(child->content) : "";
      if (!blank(text)) {
        add({XmlWalkProblem::text_in_record, prefix_, {}, text, xmlGetLineNo(child), {}});
      }
      continue;
    }
    if (child->type != XML_ELEMENT_NODE) continue;
    const std::string name = reinterpret_cast<const char*>(child->name);
    if (std::find(known_.begin(), known_.end(), name) != known_.end()) continue;
    add({XmlWalkProblem::unknown_element, path_of(name), name, {}, xmlGetLineNo(child), known_});
  }
}

}  // namespace tolvex
