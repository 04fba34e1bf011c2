#include "image/vector_print.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tolvex {
namespace {

// A hundredth of a point of slack, so that a picture that fills its sheet exactly still fits
// after the rounding of unit conversions.
constexpr double kFitSlack = 0.01;

// A number as short as it stays exact to 1/10000 of its unit: enough for a module on paper.
std::string number(double value) {
  const double rounded = std::round(value * 10000.0) / 10000.0;
  std::array<char, 32> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded == 0.0 ? 0.0 : rounded,
                                          std::chars_format::general, 10);
  if (error != std::errc{}) return "0";
  return std::string(buffer.data(), end);
}

int modules_across(const Picture& picture) { return picture.symbol.width() + 2 * picture.margin; }

// The dark modules of row y as runs [begin, end) of columns.
template <typename Visit>
void for_each_run(const QrSymbol& symbol, int y, Visit&& visit) {
  const int width = symbol.width();
  for (int x = 0; x < width;) {
    if (!symbol.is_dark(x, y)) {
      ++x;
      continue;
    }
    const int begin = x;
    while (x < width && symbol.is_dark(x, y)) ++x;
    visit(begin, x);
  }
}

std::string xml_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

int channel(double component) { return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0)); }

// #rgb where it says the same as #rrggbb.
std::string svg_colour(const RenderSettings& colour) {
  const int red = channel(colour.red), green = channel(colour.green), blue = channel(colour.blue);
  std::array<char, 8> buffer{};
  if (red % 17 == 0 && green % 17 == 0 && blue % 17 == 0) {
    std::snprintf(buffer.data(), buffer.size(), "#%x%x%x", red / 17, green / 17, blue / 17);
  } else {
    std::snprintf(buffer.data(), buffer.size(), "#%02x%02x%02x", red, green, blue);
  }
  return buffer.data();
}

std::string unit_suffix(LengthUnit unit) {
  switch (unit) {
    case LengthUnit::inch: return "in";
    case LengthUnit::point: return "pt";
    default: return "mm";
  }
}

// The next code point of UTF-8 text, or U+FFFD for a byte that starts none.
char32_t next_code_point(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || at + static_cast<std::size_t>(length) > text.size()) {
    ++at;
    return 0xFFFD;
  }
  char32_t point = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    const unsigned char next = byte(at + static_cast<std::size_t>(i));
    if ((next >> 6) != 0x2) {
      ++at;
      return 0xFFFD;
    }
    point = (point << 6) | (next & 0x3F);
  }
  at += static_cast<std::size_t>(length);
  return point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF) ? 0xFFFD : point;
}

std::optional<std::string> deflated(const std::string& content) {
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(content.data()),
                static_cast<uLong>(content.size()), Z_BEST_COMPRESSION) != Z_OK)
    return std::nullopt;
  out.resize(size);
  return out;
}

}  // namespace

PageGeometry paper_size(Paper paper) {
  constexpr double kMm = 72.0 / 25.4;
  switch (paper) {
    case Paper::a4: return {210 * kMm, 297 * kMm};
    case Paper::a5: return {148 * kMm, 210 * kMm};
    case Paper::a6: return {105 * kMm, 148 * kMm};
    case Paper::letter: return {612, 792};
  }
  return {};
}

std::optional<PageGeometry> page_geometry(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
  PageGeometry geometry;
  geometry.width = picture.print.physicalSize ? points_of(*picture.print.physicalSize) : picture.width;
  geometry.height = geometry.width * picture.height / picture.width;
  if (!picture.print.paper) {
    geometry.pageWidth = geometry.width;
    geometry.pageHeight = geometry.height;
    return geometry;
  }
  const PaperPlacement& placement = *picture.print.paper;
  const PageGeometry sheet = paper_size(placement.paper);
  if (sheet.pageWidth <= 0) return std::nullopt;
  geometry.pageWidth = sheet.pageWidth;
  geometry.pageHeight = sheet.pageHeight;
  const double margin = points_of(placement.pageMargin);
  if (placement.at) {
    geometry.x = points_of(placement.at->x);
    geometry.y = points_of(placement.at->y);
  } else {
    const auto index = static_cast<int>(placement.position.value_or(PagePosition::top_left));
    // Positions go row by row: column 0 left, 1 centre, 2 right; likewise the rows.
    const auto along = [&](int step, double page, double size) {
      return step == 0 ? margin : step == 1 ? (page - size) / 2 : page - margin - size;
    };
    geometry.x = along(index % 3, geometry.pageWidth, geometry.width);
    geometry.y = along(index / 3, geometry.pageHeight, geometry.height);
  }
  if (geometry.x < -kFitSlack || geometry.y < -kFitSlack || geometry.x + geometry.width > geometry.pageWidth + kFitSlack ||
      geometry.y + geometry.height > geometry.pageHeight + kFitSlack)
    return std::nullopt;
  return geometry;
}

std::string svg_compact(const Picture& picture) {
  const int across = modules_across(picture);
  std::string width = std::to_string(picture.width);
  std::string height = std::to_string(picture.height);
  if (const std::optional<Length>& size = picture.print.physicalSize) {
    width = number(size->value) + unit_suffix(size->unit);
    height = width;
  }
  const std::string side = std::to_string(across);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    width + "\" height=\"" + height + "\" viewBox=\"0 0 " + side + " " + side + "\" role=\"img\">";
  if (picture.print.title) svg += "<title>" + xml_escaped(*picture.print.title) + "</title>";
  if (picture.print.description) svg += "<desc>" + xml_escaped(*picture.print.description) + "</desc>";
  const RenderSettings& background = picture.render;
  if (background.alpha > 0) {
    svg += "<rect width=\"" + side + "\" height=\"" + side + "\" fill=\"" + svg_colour(background) + "\"";
    if (background.alpha < 1) svg += " fill-opacity=\"" + number(background.alpha) + "\"";
    svg += "/>";
  }
  // Each run is a line one module wide along the middle of its row; butt ends make it exactly
  // the run's rectangle. Moves are relative to where the last run ended.
  std::string path;
  bool first = true;
  int atX = 0, atY = 0;
  for (int y = 0; y < picture.symbol.width(); ++y) {
    for_each_run(picture.symbol, y, [&](int begin, int end) {
      const int x = begin + picture.margin;
      const int row = y + picture.margin;
      if (first) {
        path += "M" + std::to_string(x) + " " + std::to_string(row) + ".5";
        first = false;
      } else {
        path += "m" + std::to_string(x - atX) + " " + std::to_string(row - atY);
      }
      path += "h" + std::to_string(end - begin);
      atX = end + picture.margin;
      atY = row;
    });
  }
  svg += "<path stroke=\"#000\" d=\"" + path + "\"/></svg>\n";
  return svg;
}

std::string pdf_text_string(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "<FEFF";
  const auto unit = [&](unsigned value) {
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
  };
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t point = next_code_point(utf8, at);
    if (point >= 0x10000) {
      const unsigned rest = static_cast<unsigned>(point) - 0x10000;
      unit(0xD800 + (rest >> 10));
      unit(0xDC00 + (rest & 0x3FF));
    } else {
      unit(static_cast<unsigned>(point));
    }
  }
  return out + ">";
}

std::optional<std::string> pdf_compact(const Picture& picture) {
  const std::optional<PageGeometry> geometry = page_geometry(picture);
  if (!geometry) return std::nullopt;
  const int across = modules_across(picture);
  const double scale = geometry->width / across;
  const double top = geometry->pageHeight - geometry->y;

  std::string content;
  const RenderSettings& background = picture.render;
  if (background.alpha > 0) {
    // The background is no part of the figure: an artifact, which readers skip.
    content += "/Artifact BMC " + number(background.red) + " " + number(background.green) + " " +
               number(background.blue) + " rg " + number(geometry->x) + " " + number(top - geometry->height) + " " +
               number(geometry->width) + " " + number(geometry->height) + " re f EMC\n";
  }
  // Module units with rows downwards, so that each run is written in whole numbers.
  content += "/Figure<</MCID 0>>BDC q " + number(scale) + " 0 0 " + number(-scale) + " " + number(geometry->x) +
             " " + number(top) + " cm 0 g\n";
  for (int y = 0; y < picture.symbol.width(); ++y) {
    for_each_run(picture.symbol, y, [&](int begin, int end) {
      content += std::to_string(begin + picture.margin) + " " + std::to_string(y + picture.margin) + " " +
                 std::to_string(end - begin) + " 1 re\n";
    });
  }
  content += "f Q EMC\n";
  const std::optional<std::string> stream = deflated(content);
  if (!stream) return std::nullopt;

  const std::optional<std::string>& alternate =
      picture.print.description ? picture.print.description : picture.print.title;
  std::string information = "<</Producer(tolvexqr)";
  if (picture.print.title) information += "/Title" + pdf_text_string(*picture.print.title);
  if (picture.print.description) information += "/Subject" + pdf_text_string(*picture.print.description);
  information += ">>";

  const std::vector<std::string> objects = {
      "<</Type/Catalog/Pages 2 0 R/MarkInfo<</Marked true>>/StructTreeRoot 5 0 R" +
          std::string(picture.print.title ? "/ViewerPreferences<</DisplayDocTitle true>>" : "") + ">>",
      "<</Type/Pages/Kids[3 0 R]/Count 1>>",
      "<</Type/Page/Parent 2 0 R/MediaBox[0 0 " + number(geometry->pageWidth) + " " + number(geometry->pageHeight) +
          "]/Contents 4 0 R/Resources<<>>/StructParents 0>>",
      "<</Length " + std::to_string(stream->size()) + "/Filter/FlateDecode>>stream\n" + *stream + "\nendstream",
      "<</Type/StructTreeRoot/K[6 0 R]/ParentTree 7 0 R>>",
      "<</Type/StructElem/S/Figure/P 5 0 R/Pg 3 0 R/K 0" +
          (alternate ? "/Alt" + pdf_text_string(*alternate) : std::string()) + ">>",
      "<</Nums[0[6 0 R]]>>",
      information,
  };
  std::string pdf = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t table = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    std::array<char, 24> line{};
    std::snprintf(line.data(), line.size(), "%010zu 00000 n \n", offset);
    pdf += line.data();
  }
  pdf += "trailer\n<</Size " + std::to_string(objects.size() + 1) + "/Root 1 0 R/Info 8 0 R>>\nstartxref\n" +
         std::to_string(table) + "\n%%EOF\n";
  return pdf;
}

}  // namespace tolvex
