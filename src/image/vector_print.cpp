#include "image/vector_print.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "image/render.h"

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

// A run of dark modules repeated in the rows below it: one rectangle.
struct ModuleBlock {
  int begin, end, top, bottom;
};

// The blocks in the order their last row ends, each row's from the left.
std::vector<ModuleBlock> module_blocks(const QrSymbol& symbol) {
  std::vector<ModuleBlock> blocks, open, next;
  for (int y = 0; y < symbol.width(); ++y) {
    next.clear();
    std::size_t above = 0;
    for_each_run(symbol, y, [&](int begin, int end) {
      while (above < open.size() && open[above].begin < begin) blocks.push_back(open[above++]);
      if (above < open.size() && open[above].begin == begin && open[above].end == end) {
        next.push_back(open[above++]);
        next.back().bottom = y + 1;
      } else {
        next.push_back({begin, end, y, y + 1});
      }
    });
    for (; above < open.size(); ++above) blocks.push_back(open[above]);
    std::swap(open, next);
  }
  blocks.insert(blocks.end(), open.begin(), open.end());
  return blocks;
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

std::optional<std::string> deflated(const std::string& content, int level = Z_BEST_COMPRESSION) {
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(content.data()),
                static_cast<uLong>(content.size()), level) != Z_OK)
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

namespace {

// The document's start: its size on paper or in pixels over a viewBox of w x h user units, and
// the texts a reader is told.
std::string svg_start(const Picture& picture, int w, int h) {
  std::string width = std::to_string(picture.width);
  std::string height = std::to_string(picture.height);
  if (const std::optional<Length>& size = picture.print.physicalSize) {
    width = number(size->value) + unit_suffix(size->unit);
    height = number(size->value * picture.height / picture.width) + unit_suffix(size->unit);
  }
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    width + "\" height=\"" + height + "\" viewBox=\"0 0 " + std::to_string(w) + " " +
                    std::to_string(h) + "\" role=\"img\">";
  if (picture.print.title) svg += "<title>" + xml_escaped(*picture.print.title) + "</title>";
  if (picture.print.description) svg += "<desc>" + xml_escaped(*picture.print.description) + "</desc>";
  return svg;
}

std::string svg_background(const RenderSettings& background, int w, int h) {
  if (background.alpha <= 0) return {};
  std::string rect = "<rect width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" fill=\"" +
                     svg_colour(background) + "\"";
  if (background.alpha < 1) rect += " fill-opacity=\"" + number(background.alpha) + "\"";
  return rect + "/>";
}

// The modules as path data in module units, the quiet zone included. Each run is a line one
// module wide along the middle of its row; butt ends make it exactly the run's rectangle. Moves
// are relative to where the last run ended.
std::string module_path_data(const QrSymbol& symbol, int margin) {
  std::string path;
  bool first = true;
  int atX = 0, atY = 0;
  for (int y = 0; y < symbol.width(); ++y) {
    for_each_run(symbol, y, [&](int begin, int end) {
      const int x = begin + margin;
      const int row = y + margin;
      if (first) {
        path += "M" + std::to_string(x) + " " + std::to_string(row) + ".5";
        first = false;
      } else {
        path += "m" + std::to_string(x - atX) + " " + std::to_string(row - atY);
      }
      path += "h" + std::to_string(end - begin);
      atX = end + margin;
      atY = row;
    });
  }
  return path;
}

}  // namespace

std::string svg_compact(const Picture& picture) {
  const int across = modules_across(picture);
  return svg_start(picture, across, across) + svg_background(picture.render, across, across) +
         "<path stroke=\"#000\" d=\"" + module_path_data(picture.symbol, picture.margin) + "\"/></svg>\n";
}

std::string svg_logo_compact(const Picture& picture, const VectorLogo& logo, bool background) {
  std::string svg = svg_start(picture, picture.width, picture.height);
  if (background) svg += svg_background(picture.render, picture.width, picture.height);
  svg += logo.svgOpen + " x=\"" + number(picture.logoX) + "\" y=\"" + number(picture.logoY) + "\" width=\"" +
         std::to_string(cairo_image_surface_get_width(picture.logo.get())) + "\" height=\"" +
         std::to_string(cairo_image_surface_get_height(picture.logo.get())) + "\"" + logo.svgRest;
  const std::string scale = number(picture.boxSide / modules_across(picture));
  svg += "<path transform=\"matrix(" + scale + " 0 0 " + scale + " " + number(picture.boxX) + " " +
         number(picture.boxY) + ")\" stroke=\"#000\" d=\"" + module_path_data(picture.symbol, picture.margin) +
         "\"/></svg>\n";
  return svg;
}

std::string pdf_text_string(std::string_view utf8) {
  std::u32string points;
  for (std::size_t at = 0; at < utf8.size();) points += next_code_point(utf8, at);
  // PDFDocEncoding agrees with Latin-1 on these, one byte a character.
  const auto latin = [](char32_t point) {
    return point == '\t' || point == '\n' || point == '\r' || (point >= 0x20 && point <= 0x7E) ||
           (point >= 0xA1 && point <= 0xFF && point != 0xAD);
  };
  std::string bytes;
  if (std::all_of(points.begin(), points.end(), latin)) {
    for (const char32_t point : points) bytes += static_cast<char>(point);
  } else {
    bytes = "\xFE\xFF";
    const auto unit = [&](unsigned value) {
      bytes += static_cast<char>(value >> 8);
      bytes += static_cast<char>(value & 0xFF);
    };
    for (const char32_t point : points) {
      if (point >= 0x10000) {
        const unsigned rest = static_cast<unsigned>(point) - 0x10000;
        unit(0xD800 + (rest >> 10));
        unit(0xDC00 + (rest & 0x3FF));
      } else {
        unit(static_cast<unsigned>(point));
      }
    }
  }
  // A literal string: parentheses and backslashes escaped, and a carriage return, which a
  // reader would otherwise take for a line end.
  std::string out = "(";
  for (const char c : bytes) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    if (c == '\r') {
      out += "\\r";
      continue;
    }
    out += c;
  }
  return out + ")";
}

std::optional<std::string> pdf_compact(const Picture& picture, const VectorLogo::PdfForm* logo, bool background) {
  const std::optional<PageGeometry> geometry = page_geometry(picture);
  if (!geometry) return std::nullopt;
  const int across = modules_across(picture);
  const double top = geometry->pageHeight - geometry->y;
  // Points a picture pixel; the plain picture's box is the whole picture.
  const double unit = geometry->width / picture.width;
  const double scale = logo != nullptr ? unit * picture.boxSide / across : geometry->width / across;

  std::string content;
  const RenderSettings& colour = picture.render;
  if (background && colour.alpha > 0) {
    // The background is no part of the figure: an artifact, which readers skip.
    content += "/Artifact BMC " + number(colour.red) + " " + number(colour.green) + " " + number(colour.blue) +
               " rg " + number(geometry->x) + " " + number(top - geometry->height) + " " + number(geometry->width) +
               " " + number(geometry->height) + " re f EMC\n";
  }
  const int logoWidth = logo != nullptr ? cairo_image_surface_get_width(picture.logo.get()) : 0;
  const int logoHeight = logo != nullptr ? cairo_image_surface_get_height(picture.logo.get()) : 0;
  if (logo != nullptr) {
    // The logo says nothing the figure's text does not: an artifact too.
    content += "/Artifact BMC q " + number(unit) + " 0 0 " + number(unit) + " " +
               number(geometry->x + picture.logoX * unit) + " " + number(top - (picture.logoY + logoHeight) * unit) +
               " cm/L Do Q EMC\n";
  }
  // Module units with rows downwards, so that each run is written in whole numbers.
  content += "/Figure<</MCID 0>>BDC q " + number(scale) + " 0 0 " + number(-scale) + " " +
             number(geometry->x + picture.boxX * unit) + " " + number(top - picture.boxY * unit) + " cm 0 g\n";
  for (const ModuleBlock& block : module_blocks(picture.symbol)) {
    content += std::to_string(block.begin + picture.margin) + " " + std::to_string(block.top + picture.margin) + " " +
               std::to_string(block.end - block.begin) + " " + std::to_string(block.bottom - block.top) + " re\n";
  }
  content += "f Q EMC\n";
  // The logo picture, made by the thousand, at zlib's default level: twice as fast as the best,
  // within a few bytes of it on these streams. The plain PDF keeps the bytes it always had.
  const int level = logo != nullptr ? Z_DEFAULT_COMPRESSION : Z_BEST_COMPRESSION;
  const std::optional<std::string> stream = deflated(content, level);
  if (!stream) return std::nullopt;

  const std::optional<std::string>& alternate =
      picture.print.description ? picture.print.description : picture.print.title;
  std::string information = "<<";
  if (picture.print.title) information += "/Title" + pdf_text_string(*picture.print.title);
  if (picture.print.description) information += "/Subject" + pdf_text_string(*picture.print.description);
  information += ">>";

  // Objects 1-3 and 5-8 go compressed into one object stream (9), so that the texts, which the
  // information and the figure both carry, cost little; the content stream (4) cannot go there.
  // A cross-reference stream (10) finds them.
  const std::vector<std::pair<int, std::string>> packed = {
      {1, "<</Type/Catalog/Pages 2 0 R/MarkInfo<</Marked true>>/StructTreeRoot 5 0 R" +
              std::string(picture.print.title ? "/ViewerPreferences<</DisplayDocTitle true>>" : "") + ">>"},
      {2, "<</Type/Pages/Kids[3 0 R]/Count 1>>"},
      {3, "<</Type/Page/Parent 2 0 R/MediaBox[0 0 " + number(geometry->pageWidth) + " " +
              number(geometry->pageHeight) + "]/Contents 4 0 R/Resources<<" +
              std::string(logo != nullptr ? "/XObject<</L 11 0 R>>" : "") + ">>/StructParents 0>>"},
      {5, "<</Type/StructTreeRoot/K[6 0 R]/ParentTree 7 0 R>>"},
      {6, "<</Type/StructElem/S/Figure/P 5 0 R/Pg 3 0 R/K 0" +
              (alternate ? "/Alt" + pdf_text_string(*alternate) : std::string()) + ">>"},
      {7, "<</Nums[0[6 0 R]]>>"},
      {8, information},
  };
  std::string index, bodies;
  for (const auto& [number, object] : packed) {
    index += std::to_string(number) + " " + std::to_string(bodies.size()) + " ";
    bodies += object + "\n";
  }
  const std::optional<std::string> objectStream = deflated(index + bodies, level);
  if (!objectStream) return std::nullopt;

  constexpr int kObjectStream = 9;
  constexpr int kCrossReference = 10;
  constexpr int kLogoForm = 11;
  std::string pdf = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
  // Entries of /W[1 4 1]: type, offset or object stream, generation or index.
  std::vector<std::array<std::uint32_t, 3>> entries(logo != nullptr ? kLogoForm + 1 : kCrossReference + 1,
                                                    {0, 0, 0});
  for (std::size_t i = 0; i < packed.size(); ++i) {
    entries[static_cast<std::size_t>(packed[i].first)] = {2, kObjectStream, static_cast<std::uint32_t>(i)};
  }
  const auto begin_object = [&](int number) {
    entries[static_cast<std::size_t>(number)] = {1, static_cast<std::uint32_t>(pdf.size()), 0};
    pdf += std::to_string(number) + " 0 obj\n";
  };
  begin_object(4);
  pdf += "<</Length " + std::to_string(stream->size()) + "/Filter/FlateDecode>>stream\n" + *stream + "\nendstream\nendobj\n";
  if (logo != nullptr) {
    // The logo as cairo drew it from the twin, prepared once per logo.
    begin_object(kLogoForm);
    pdf += "<</Type/XObject/Subtype/Form/BBox[0 0 " + std::to_string(logoWidth) + " " + std::to_string(logoHeight) +
           "]/Resources" + logo->resources + "/Length " + std::to_string(logo->stream.size()) +
           (logo->deflated ? "/Filter/FlateDecode" : "") + ">>stream\n" + logo->stream + "\nendstream\nendobj\n";
  }
  begin_object(kObjectStream);
  pdf += "<</Type/ObjStm/N " + std::to_string(packed.size()) + "/First " + std::to_string(index.size()) + "/Length " +
         std::to_string(objectStream->size()) + "/Filter/FlateDecode>>stream\n" + *objectStream + "\nendstream\nendobj\n";
  const std::size_t table = pdf.size();
  begin_object(kCrossReference);
  std::string rows;
  for (const auto& [type, field, generation] : entries) {
    rows += static_cast<char>(type);
    for (int shift = 24; shift >= 0; shift -= 8) rows += static_cast<char>((field >> shift) & 0xFF);
    rows += static_cast<char>(generation);
  }
  pdf += "<</Type/XRef/Size " + std::to_string(entries.size()) + "/W[1 4 1]/Root 1 0 R/Info 8 0 R/Length " +
         std::to_string(rows.size()) + ">>stream\n" + rows + "\nendstream\nendobj\nstartxref\n" +
         std::to_string(table) + "\n%%EOF\n";
  return pdf;
}

}  // namespace tolvex
