#include "image/vector_logo.h"

#include <cairo-pdf.h>
#include <glib.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <array>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string_view>

#include "image/rsvg_library.h"

namespace tolvex {
namespace {

constexpr std::string_view kSvgNamespace = "http://www.w3.org/2000/svg";
// A PNG that cairo decoded is of a sane size already; this only bounds the copy embedded.
constexpr std::uintmax_t kLargestLogoPng = 64u << 20;

std::optional<std::string> read_bounded(const std::string& path, std::uintmax_t largest) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > largest) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad() || bytes.size() > largest) return std::nullopt;
  return bytes;
}

// FNV-1a: the same bytes give the same prefix in every run and process.
std::string id_prefix(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "l%08x-", hash);
  return text.data();
}

std::string_view view(const xmlChar* text) {
  return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct XmlBufferFree {
  void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
};

std::string attribute_value(xmlAttr* attribute) {
  xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
  std::string text(view(value));
  xmlFree(value);
  return text;
}

// Every id made prefix+id, and every reference to one (href="#id", url(#id)) with it.
std::string renamed(std::string_view name, std::string value, const std::string& prefix) {
  if (name == "id") return prefix + value;
  if (name == "href" && value.starts_with('#')) return "#" + prefix + value.substr(1);
  for (std::size_t at = value.find("url(#"); at != std::string::npos; at = value.find("url(#", at)) {
    at += 5;
    value.insert(at, prefix);
    at += prefix.size();
  }
  return value;
}

// Prefixes ids and drops comments below node; false for what a picture must not carry along:
// scripts, event handlers, style sheets (whose selectors name ids) and foreign content.
bool normalise(xmlNode* node, const std::string& prefix) {
  for (xmlNode* child = node->children; child != nullptr;) {
    xmlNode* next = child->next;
    if (child->type == XML_COMMENT_NODE || child->type == XML_PI_NODE) {
      xmlUnlinkNode(child);
      xmlFreeNode(child);
    } else if (child->type == XML_ELEMENT_NODE && !normalise(child, prefix)) {
      return false;
    }
    child = next;
  }
  if (node->type != XML_ELEMENT_NODE) return true;
  const std::string_view name = view(node->name);
  if (name == "script" || name == "style" || name == "foreignObject") return false;
  for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
    const std::string_view attributeName = view(attribute->name);
    if (attributeName.starts_with("on")) return false;
    // An id is the plain attribute or xml:id; another namespace's id names nothing here.
    if (attributeName == "id" && attribute->ns != nullptr && view(attribute->ns->prefix) != "xml") continue;
    const std::string value = attribute_value(attribute);
    const std::string changed = renamed(attributeName, value, prefix);
    if (changed != value) {
      xmlSetNsProp(node, attribute->ns, attribute->name, reinterpret_cast<const xmlChar*>(changed.c_str()));
    }
  }
  return true;
}

// A length in user units: a number, or one in px.
std::optional<double> pixels(std::string_view text) {
  if (text.ends_with("px")) text.remove_suffix(2);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

// The twin's root element, normalised, as text split after its name; nullopt when it cannot be
// used as it is.
std::optional<std::pair<std::string, std::string>> twin_element(const std::string& bytes) {
  const std::unique_ptr<xmlDoc, XmlDocFree> doc(
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc || doc->intSubset != nullptr) return std::nullopt;
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || view(root->name) != "svg" || root->ns == nullptr || view(root->ns->href) != kSvgNamespace)
    return std::nullopt;
  if (!normalise(root, id_prefix(bytes))) return std::nullopt;
  // The placement replaces the root's own; without a viewBox its width and height give one.
  if (!xmlHasProp(root, reinterpret_cast<const xmlChar*>("viewBox"))) {
    xmlChar* width = xmlGetNoNsProp(root, reinterpret_cast<const xmlChar*>("width"));
    xmlChar* height = xmlGetNoNsProp(root, reinterpret_cast<const xmlChar*>("height"));
    const std::optional<double> w = pixels(view(width));
    const std::optional<double> h = pixels(view(height));
    xmlFree(width);
    xmlFree(height);
    if (!w || !h) return std::nullopt;
    const std::string box = "0 0 " + std::to_string(*w) + " " + std::to_string(*h);
    xmlSetProp(root, reinterpret_cast<const xmlChar*>("viewBox"), reinterpret_cast<const xmlChar*>(box.c_str()));
  }
  for (const char* placement : {"x", "y", "width", "height"}) {
    if (xmlAttr* attribute = xmlHasNsProp(root, reinterpret_cast<const xmlChar*>(placement), nullptr)) {
      xmlRemoveProp(attribute);
    }
  }
  const std::unique_ptr<xmlBuffer, XmlBufferFree> buffer(xmlBufferCreate());
  if (!buffer || xmlNodeDump(buffer.get(), doc.get(), root, 0, 0) < 0) return std::nullopt;
  const std::string text(view(xmlBufferContent(buffer.get())));
  const std::string open =
      "<" + (root->ns->prefix != nullptr ? std::string(view(root->ns->prefix)) + ":" : std::string()) + "svg";
  if (!text.starts_with(open)) return std::nullopt;
  return std::pair{open, text.substr(open.size())};
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::optional<int> whole(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end == text.data()) return std::nullopt;
  return value;
}

// The text of object number in a PDF as cairo writes it, found through its cross-reference table:
// from after "N 0 obj" to "endobj" (for a stream, to its "stream" keyword).
std::optional<std::string_view> pdf_object(std::string_view pdf, int number) {
  const std::size_t startxref = pdf.rfind("startxref");
  if (startxref == std::string_view::npos) return std::nullopt;
  std::size_t at = pdf.find_first_of("0123456789", startxref);
  const std::optional<int> table = at == std::string_view::npos ? std::nullopt : whole(pdf.substr(at));
  if (!table || static_cast<std::size_t>(*table) >= pdf.size()) return std::nullopt;
  // "xref\n0 N\n" and entries of 20 bytes.
  std::match_results<std::string_view::const_iterator> match;
  const std::string_view rest = pdf.substr(static_cast<std::size_t>(*table));
  if (!std::regex_search(rest.begin(), rest.end(), match, std::regex("^xref\\s+0 ([0-9]+)\\r?\\n")) ||
      number <= 0 || number >= std::stoi(match[1]))
    return std::nullopt;
  const std::size_t entry = static_cast<std::size_t>(match.length(0)) + static_cast<std::size_t>(number) * 20;
  if (entry + 20 > rest.size()) return std::nullopt;
  const std::optional<int> offset = whole(rest.substr(entry, 10));
  if (!offset || static_cast<std::size_t>(*offset) >= pdf.size()) return std::nullopt;
  const std::string head = std::to_string(number) + " 0 obj";
  std::string_view object = pdf.substr(static_cast<std::size_t>(*offset));
  if (!object.starts_with(head)) return std::nullopt;
  object.remove_prefix(head.size());
  const std::size_t end = std::min(object.find("endobj"), object.find("stream"));
  if (end == std::string_view::npos) return std::nullopt;
  return object.substr(0, end);
}

// The object a dictionary's key refers to ("/Contents 4 0 R"), if it refers to one.
std::optional<int> reference(std::string_view dictionary, const std::string& key) {
  std::match_results<std::string_view::const_iterator> match;
  if (!std::regex_search(dictionary.begin(), dictionary.end(), match, std::regex(key + "\\s+([0-9]+) 0 R"))) {
    return std::nullopt;
  }
  return std::stoi(match[1]);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) text.remove_suffix(1);
  return text;
}

// The twin drawn by cairo onto a page of its own, taken apart into the page's content stream and
// its resources; nullopt unless the resources are self-contained.
std::optional<VectorLogo::PdfForm> twin_form(const RsvgLibrary& rsvg, RsvgHandle* handle, int width, int height) {
  std::string pdf;
  {
    const SurfacePtr surface(cairo_pdf_surface_create_for_stream(append, &pdf, width, height));
    const ContextPtr context(cairo_create(surface.get()));
    const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
    GError* error = nullptr;
    const bool drawn = rsvg.renderDocument(handle, context.get(), &viewport, &error) != 0;
    if (error != nullptr) rsvg.freeError(error);
    if (!drawn) return std::nullopt;
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  }
  const std::string_view text = pdf;
  std::optional<int> page;
  for (int number = 1; number < 64 && !page; ++number) {
    const std::optional<std::string_view> object = pdf_object(text, number);
    if (object && std::regex_search(object->begin(), object->end(), std::regex("/Type\\s*/Page\\b"))) page = number;
  }
  if (!page) return std::nullopt;
  const std::string_view pageObject = *pdf_object(text, *page);
  const std::optional<int> contents = reference(pageObject, "/Contents");
  const std::optional<int> resources = reference(pageObject, "/Resources");
  if (!contents || !resources) return std::nullopt;
  const std::optional<std::string_view> resourceObject = pdf_object(text, *resources);
  if (!resourceObject) return std::nullopt;
  VectorLogo::PdfForm form;
  form.resources = std::string(trimmed(*resourceObject));
  if (!form.resources.starts_with("<<") ||
      std::regex_search(form.resources, std::regex("[0-9]+\\s+[0-9]+\\s+R\\b")))
    return std::nullopt;
  const std::optional<std::string_view> streamDictionary = pdf_object(text, *contents);
  if (!streamDictionary) return std::nullopt;
  std::optional<int> length = reference(*streamDictionary, "/Length");
  if (length) {
    const std::optional<std::string_view> value = pdf_object(text, *length);
    length = value ? whole(trimmed(*value)) : std::nullopt;
  } else {
    std::match_results<std::string_view::const_iterator> match;
    if (std::regex_search(streamDictionary->begin(), streamDictionary->end(), match,
                          std::regex("/Length\\s+([0-9]+)")))
      length = std::stoi(match[1]);
  }
  form.deflated = streamDictionary->find("/FlateDecode") != std::string_view::npos;
  const std::size_t data = static_cast<std::size_t>(streamDictionary->end() - text.begin()) + 6;
  const std::size_t start = text.compare(data, 2, "\r\n") == 0 ? data + 2 : data + 1;
  if (!length || *length < 0 || start + static_cast<std::size_t>(*length) > text.size()) return std::nullopt;
  form.stream = std::string(text.substr(start, static_cast<std::size_t>(*length)));
  return form;
}

// The twin drawn by librsvg into the PNG's box: recorded, and as a PDF form where it can be.
// false when librsvg cannot draw it.
bool draw_twin(const std::string& bytes, int width, int height, VectorLogo& logo) {
  const RsvgLibrary& rsvg = rsvg_library();
  if (!rsvg.loaded()) return false;
  GError* error = nullptr;
  RsvgHandle* handle = rsvg.newFromData(reinterpret_cast<const guint8*>(bytes.data()), bytes.size(), &error);
  if (handle == nullptr) {
    if (error != nullptr) rsvg.freeError(error);
    return false;
  }
  const cairo_rectangle_t extents{0, 0, static_cast<double>(width), static_cast<double>(height)};
  SurfacePtr recording(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
  bool drawn = false;
  {
    const ContextPtr context(cairo_create(recording.get()));
    const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
    drawn = rsvg.renderDocument(handle, context.get(), &viewport, &error) != 0 &&
            cairo_status(context.get()) == CAIRO_STATUS_SUCCESS;
  }
  if (error != nullptr) rsvg.freeError(error);
  if (drawn && cairo_surface_status(recording.get()) == CAIRO_STATUS_SUCCESS) {
    logo.drawing = std::move(recording);
    logo.pdfForm = twin_form(rsvg, handle, width, height);
  }
  rsvg.unref(handle);
  return logo.drawing != nullptr;
}

}  // namespace

std::shared_ptr<const VectorLogo> vector_logo_prepare(const std::string& pngPath, int width, int height) {
  auto logo = std::make_shared<VectorLogo>();
  std::filesystem::path twinPath = pngPath;
  twinPath.replace_extension(".svg");
  if (const std::optional<std::string> twin = read_bounded(twinPath.string(), kLargestLogoTwin)) {
    std::optional<std::pair<std::string, std::string>> element = twin_element(*twin);
    if (element && draw_twin(*twin, width, height, *logo)) {
      logo->svgOpen = std::move(element->first);
      logo->svgRest = std::move(element->second);
      return logo;
    }
  }
  const std::optional<std::string> png = read_bounded(pngPath, kLargestLogoPng);
  if (!png) return nullptr;
  gchar* base64 = g_base64_encode(reinterpret_cast<const guchar*>(png->data()), png->size());
  logo->svgOpen = "<image";
  logo->svgRest = std::string(" href=\"data:image/png;base64,") + base64 + "\"/>";
  g_free(base64);
  return logo;
}

}  // namespace tolvex
