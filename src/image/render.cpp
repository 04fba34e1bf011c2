#include "image/render.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"

namespace tolvex {
namespace {

thread_local RenderSettings settings;

// cairo's path coordinates are 24.8 fixed point, the nearest 1/256 with ties to even.
std::int32_t cairo_fixed(double device) { return static_cast<std::int32_t>(std::nearbyint(device * 256.0)); }

// Without antialiasing cairo moves each edge of a filled box to the nearest pixel edge, halves
// downwards.
int pixel_edge(std::int32_t fixed) { return (fixed + 127) >> 8; }

// Where the edges of every module column (or row) fall in pixels, as a fill of the module's own
// unit rectangle puts them: its corner converted to fixed point, its side added in fixed point.
struct PixelEdges {
  std::vector<int> begin;
  std::vector<int> end;
};

PixelEdges module_pixel_edges(const cairo_matrix_t& toDevice, int width, bool columns) {
  double sideX = columns ? 1.0 : 0.0;
  double sideY = columns ? 0.0 : 1.0;
  cairo_matrix_transform_distance(&toDevice, &sideX, &sideY);
  const std::int32_t side = cairo_fixed(columns ? sideX : sideY);
  PixelEdges edges;
  edges.begin.resize(static_cast<std::size_t>(width));
  edges.end.resize(static_cast<std::size_t>(width));
  for (int i = 0; i < width; ++i) {
    double x = columns ? i : 0.0;
    double y = columns ? 0.0 : i;
    cairo_matrix_transform_point(&toDevice, &x, &y);
    const std::int32_t corner = cairo_fixed(columns ? x : y);
    edges.begin[static_cast<std::size_t>(i)] = pixel_edge(corner);
    edges.end[static_cast<std::size_t>(i)] = pixel_edge(corner + side);
  }
  return edges;
}

// Raster surfaces: the pixel boxes of module_pixels filled at once in device space.
void fill_pixel_runs(cairo_t* context, const QrSymbol& symbol) {
  cairo_matrix_t toDevice;
  cairo_get_matrix(context, &toDevice);
  const ModulePixels pixels = module_pixels(toDevice, symbol);
  cairo_save(context);
  cairo_identity_matrix(context);
  cairo_new_path(context);
  for (std::size_t row = 0; row < pixels.top.size(); ++row) {
    const int height = pixels.bottom[row] - pixels.top[row];
    for (std::size_t run = pixels.first[row]; run < pixels.first[row + 1]; ++run)
      cairo_rectangle(context, pixels.runs[run].left, pixels.top[row],
                      pixels.runs[run].right - pixels.runs[run].left, height);
  }
  cairo_fill(context);
  cairo_restore(context);
}

// Vector surfaces: one rectangle per run of dark modules, a run repeated in the rows below
// growing downwards, all in one path filled once, so that renderers with antialiasing leave
// no seams between neighbours.
void fill_module_runs(cairo_t* context, const QrSymbol& symbol) {
  struct Block {
    int begin, end, top, bottom;
  };
  std::vector<Block> open;
  std::vector<Block> next;
  const auto add = [context](const Block& block) {
    cairo_rectangle(context, block.begin, block.top, block.end - block.begin, block.bottom - block.top);
  };
  cairo_new_path(context);
  for (int y = 0; y < symbol.width(); ++y) {
    next.clear();
    std::size_t above = 0;
    for_each_run(symbol, y, [&](int begin, int end) {
      while (above < open.size() && open[above].begin < begin) add(open[above++]);
      if (above < open.size() && open[above].begin == begin && open[above].end == end) {
        next.push_back(open[above++]);
        next.back().bottom = y + 1;
      } else {
        next.push_back({begin, end, y, y + 1});
      }
    });
    for (; above < open.size(); ++above) add(open[above]);
    std::swap(open, next);
  }
  for (const Block& block : open) add(block);
  cairo_fill(context);
}

}  // namespace

ModulePixels module_pixels(const cairo_matrix_t& toDevice, const QrSymbol& symbol) {
  const int width = symbol.width();
  const PixelEdges columns = module_pixel_edges(toDevice, width, true);
  const PixelEdges rows = module_pixel_edges(toDevice, width, false);
  ModulePixels pixels;
  pixels.first.push_back(0);
  for (int y = 0; y < width; ++y) {
    const int top = rows.begin[static_cast<std::size_t>(y)];
    const int bottom = rows.end[static_cast<std::size_t>(y)];
    if (bottom <= top) continue;
    const auto add = [&](int left, int right) {
      if (right > left) pixels.runs.push_back({left, right});
    };
    for_each_run(symbol, y, [&](int begin, int end) {
      int left = columns.begin[static_cast<std::size_t>(begin)];
      int right = columns.end[static_cast<std::size_t>(begin)];
      for (int x = begin + 1; x < end; ++x) {
        const int nextLeft = columns.begin[static_cast<std::size_t>(x)];
        const int nextRight = columns.end[static_cast<std::size_t>(x)];
        if (nextLeft <= right) {
          right = std::max(right, nextRight);
        } else {
          add(left, right);
          left = nextLeft;
          right = nextRight;
        }
      }
      add(left, right);
    });
    pixels.top.push_back(top);
    pixels.bottom.push_back(bottom);
    pixels.first.push_back(pixels.runs.size());
  }
  return pixels;
}

cairo_matrix_t module_matrix(double boxX, double boxY, double box, int width, int margin) {
  // The same steps as picture_draw and qr_draw_modules take on a context, so that every
  // product rounds alike.
  cairo_matrix_t matrix;
  cairo_matrix_init_identity(&matrix);
  cairo_matrix_translate(&matrix, boxX, boxY);
  const double scale = box / static_cast<double>(width + 2 * margin);
  cairo_matrix_scale(&matrix, scale, scale);
  cairo_matrix_translate(&matrix, margin, margin);
  return matrix;
}

const RenderSettings& render_settings() { return settings; }

void render_set_background(double red, double green, double blue, double alpha) {
  settings.red = red;
  settings.green = green;
  settings.blue = blue;
  settings.alpha = alpha;
}

void render_set_format(std::int32_t cairoFormat) {
  settings.format = static_cast<cairo_format_t>(cairoFormat);
}

void qr_draw_modules(cairo_t* context, const QrSymbol& symbol, double box, int margin) {
  cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(context, 0, 0, 0);
  const double scale = box / static_cast<double>(symbol.width() + 2 * margin);
  cairo_scale(context, scale, scale);
  cairo_translate(context, margin, margin);
  if (cairo_surface_get_type(cairo_get_target(context)) == CAIRO_SURFACE_TYPE_IMAGE) {
    fill_pixel_runs(context, symbol);
  } else {
    fill_module_runs(context, symbol);
  }
}

ErrorCode report_qr_failure() { return report(messages::kTextCannotBeEncodedAsQrCode); }

std::optional<QrSymbol> qr_encode_at(std::string_view text, ErrorCorrection level, bool boost) {
  const auto qr_level = [](ErrorCorrection value) { return static_cast<QrErrorCorrection>(value); };
  std::optional<QrSymbol> symbol = qr_encode(text, qr_level(level));
  if (!symbol || !boost) return symbol;
  const int version = (symbol->width() - 17) / 4;
  for (auto higher = static_cast<int>(ErrorCorrection::high); higher > static_cast<int>(level); --higher) {
    if (std::optional<QrSymbol> boosted = qr_encode(text, qr_level(static_cast<ErrorCorrection>(higher)), version))
      return boosted;
  }
  return symbol;
}

ErrorCode qr_picture(std::string_view text, std::int32_t pixelSize, Picture* picture) {
  return qr_picture(text, PlainPictureOptions{.size = pixelSize}, picture);
}

ErrorCode qr_picture(std::string_view text, const PlainPictureOptions& options, Picture* picture) {
  const std::optional<QrSymbol> symbol = qr_encode_at(text, options.level, options.boostLevel);
  if (!symbol) return report_qr_failure();
  const std::int64_t modules = symbol->width() + 2 * std::int64_t{options.margin};
  const std::int64_t side = options.moduleSize > 0 ? modules * options.moduleSize
                            : options.size != 0    ? options.size
                                                   : modules;
  if (side > kLargestImageSize) {
    return report_around(messages::kImageSizeTooLarge, std::to_string(kLargestImageSize),
                         messages::kImageSizeTooLargeUnit);
  }

  if (picture == nullptr) return ERROR_OK;
  *picture = Picture{};
  picture->width = static_cast<int>(side);
  picture->height = static_cast<int>(side);
  picture->symbol = *symbol;
  picture->boxSide = static_cast<double>(side);
  picture->margin = options.margin;
  picture->render = settings;
  return ERROR_OK;
}

ErrorCode qr_render_surface(std::string_view text, std::int32_t pixelSize, SurfacePtr* surface) {
  Picture picture;
  if (const ErrorCode code = qr_picture(text, pixelSize, &picture)) return code;
  if (surface != nullptr) *surface = picture_render_surface(picture);
  return ERROR_OK;
}

}  // namespace tolvex
