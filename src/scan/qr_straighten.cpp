#include "scan/qr_straighten.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace tolvex {
namespace {

// Finder patterns kept after the row scan, the ones crossed by the most rows: three of one code,
// and room for a second code or a few look-alikes among the text of a page.
constexpr std::size_t kMaxFinders = 6;
constexpr std::size_t kMaxCandidates = 4;
// Symbol sides tried when fitting: versions 1 to 40.
constexpr int kMinDimension = 21;
constexpr int kMaxDimension = 177;
// The upright picture: this many pixels a module, and a margin of this many modules, enough for
// a side misjudged by a version or two.
constexpr int kOutputModulePixels = 5;
constexpr int kOutputMarginModules = 8;
// A fit whose corners lie farther than this part of a module from the grid, on average, is not a
// symbol.
constexpr double kMaxResidualModules = 0.6;
// A larger picture (a page rendered at 300 dpi) is searched at half its size, where a code of
// print size still has four pixels a module; the symbol is resampled from the full picture.
constexpr long kHalvedAbovePixels = 4'000'000;

// Each 2 x 2 block averaged into one pixel.
GrayImage halved(const GrayImage& picture) {
  GrayImage half;
  half.width = picture.width / 2;
  half.height = picture.height / 2;
  half.pixels.resize(static_cast<std::size_t>(half.width) * half.height);
  for (int y = 0; y < half.height; ++y) {
    const std::uint8_t* top = picture.pixels.data() + static_cast<std::size_t>(2 * y) * picture.width;
    const std::uint8_t* bottom = top + picture.width;
    std::uint8_t* out = half.pixels.data() + static_cast<std::size_t>(y) * half.width;
    for (int x = 0; x < half.width; ++x) {
      out[x] = static_cast<std::uint8_t>((top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) / 4);
    }
  }
  return half;
}

struct Binary {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dark;  // 1 dark, 0 light

  [[nodiscard]] bool at(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && dark[static_cast<std::size_t>(y) * width + x] != 0;
  }
};

// Dark where a pixel is clearly darker than the mean of a window a tenth of the picture wide,
// which spans a finder pattern's core on any picture a code fills, and follows tinted paper and
// uneven light. Running column sums keep the memory to one row.
Binary binarised(const GrayImage& picture) {
  Binary binary;
  binary.width = picture.width;
  binary.height = picture.height;
  binary.dark.assign(picture.pixels.size(), 0);
  const int radius = std::max(8, std::min(picture.width, picture.height) / 20);
  const auto pixel = [&picture](int x, int y) {
    return static_cast<std::uint32_t>(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]);
  };
  std::vector<std::uint32_t> columns(static_cast<std::size_t>(picture.width), 0);
  const int firstRows = std::min(radius, picture.height - 1);
  for (int y = 0; y <= firstRows; ++y) {
    for (int x = 0; x < picture.width; ++x) columns[x] += pixel(x, y);
  }
  int top = 0, bottom = firstRows;  // rows summed in columns
  for (int y = 0; y < picture.height; ++y) {
    for (; bottom < std::min(picture.height - 1, y + radius);) {
      ++bottom;
      for (int x = 0; x < picture.width; ++x) columns[x] += pixel(x, bottom);
    }
    for (; top < y - radius; ++top) {
      for (int x = 0; x < picture.width; ++x) columns[x] -= pixel(x, top);
    }
    const std::uint64_t rows = static_cast<std::uint64_t>(bottom - top + 1);
    std::uint64_t sum = 0;
    int left = 0, right = -1;
    for (int x = 0; x < picture.width; ++x) {
      for (; right < std::min(picture.width - 1, x + radius);) sum += columns[++right];
      for (; left < x - radius; ++left) sum -= columns[left];
      const std::uint64_t count = rows * static_cast<std::uint64_t>(right - left + 1);
      // Darker than the mean by an eighth of the way to black: noise on plain paper stays light.
      binary.dark[static_cast<std::size_t>(y) * picture.width + x] =
          pixel(x, y) * 8 * count < sum * 7 ? 1 : 0;
    }
  }
  return binary;
}

// Whether five runs (dark, light, dark, light, dark) stand in the ratio 1:1:3:1:1 of a line
// through a finder pattern's centre, loosely: blur and ink widen the dark runs.
bool finder_ratio(const std::array<int, 5>& runs, double* module) {
  const int total = runs[0] + runs[1] + runs[2] + runs[3] + runs[4];
  if (total < 7) return false;
  const double m = total / 7.0;
  const auto near = [m](int run, double modules, double tolerance) {
    return std::abs(run - modules * m) <= tolerance * m;
  };
  if (!near(runs[0], 1, 0.7) || !near(runs[1], 1, 0.7) || !near(runs[2], 3, 1.3) || !near(runs[3], 1, 0.7) ||
      !near(runs[4], 1, 0.7)) {
    return false;
  }
  *module = m;
  return true;
}

// The runs of a column through (x, y), y inside the core: the core's run split at y, then two
// runs each way. False when the column leaves the picture first.
bool column_runs(const Binary& binary, int x, int y, std::array<int, 5>* runs, double* centre) {
  int up = y;
  while (binary.at(x, up - 1)) --up;
  int down = y;
  while (binary.at(x, down + 1)) ++down;
  const auto run = [&binary, x](int from, int step, bool dark, int* length) {
    int at = from;
    while (at >= 0 && at < binary.height && binary.at(x, at) == dark) at += step;
    *length = std::abs(at - from);
    return at >= 0 && at < binary.height;
  };
  int lightUp = 0, darkUp = 0, lightDown = 0, darkDown = 0;
  if (!run(up - 1, -1, false, &lightUp) || !run(up - 1 - lightUp, -1, true, &darkUp)) return false;
  if (!run(down + 1, 1, false, &lightDown) || !run(down + 1 + lightDown, 1, true, &darkDown)) return false;
  *runs = {darkUp, lightUp, down - up + 1, lightDown, darkDown};
  *centre = (up + down + 1) / 2.0;
  return true;
}

struct Finder {
  PicturePoint centre;
  double module = 0;
  int hits = 0;
  std::array<PicturePoint, 4> corners{};
};

// Row by row, every crossing of a finder pattern, checked down its column and merged with the
// crossings of the same pattern.
std::vector<Finder> finder_centres(const Binary& binary) {
  std::vector<Finder> finders;
  std::vector<int> starts;
  for (int y = 0; y < binary.height; ++y) {
    starts.clear();
    for (int x = 0; x < binary.width; ++x) {
      if (x == 0 || binary.at(x, y) != binary.at(x - 1, y)) starts.push_back(x);
    }
    starts.push_back(binary.width);
    for (std::size_t i = 0; i + 5 < starts.size(); ++i) {
      if (!binary.at(starts[i], y)) continue;
      std::array<int, 5> runs{};
      for (std::size_t k = 0; k < 5; ++k) runs[k] = starts[i + k + 1] - starts[i + k];
      double module = 0;
      if (!finder_ratio(runs, &module)) continue;
      const double cx = starts[i + 2] + runs[2] / 2.0;
      std::array<int, 5> column{};
      double cy = 0, columnModule = 0;
      if (!column_runs(binary, static_cast<int>(cx), y, &column, &cy) || !finder_ratio(column, &columnModule)) {
        continue;
      }
      const double size = (module + columnModule) / 2;
      const auto same = std::find_if(finders.begin(), finders.end(), [&](const Finder& f) {
        return std::hypot(f.centre.x - cx, f.centre.y - cy) < 2 * std::max(size, f.module);
      });
      if (same == finders.end()) {
        finders.push_back({{cx, cy}, size, 1, {}});
      } else {
        const double n = same->hits;
        same->centre = {(same->centre.x * n + cx) / (n + 1), (same->centre.y * n + cy) / (n + 1)};
        same->module = (same->module * n + size) / (n + 1);
        ++same->hits;
      }
    }
  }
  std::sort(finders.begin(), finders.end(), [](const Finder& a, const Finder& b) { return a.hits > b.hits; });
  return finders;
}

// The four outer corners of a finder pattern: its dark ring, which the separator and the quiet
// zone keep apart from everything else, filled from the centre's row; then the ring's pixel
// farthest from the centre, the one farthest from that, and the two farthest on either side of
// the line between them.
bool finder_corners(const Binary& binary, Finder* finder) {
  const int cx = static_cast<int>(finder->centre.x);
  const int cy = static_cast<int>(finder->centre.y);
  if (!binary.at(cx, cy)) return false;
  int x = cx;
  while (binary.at(x, cy)) --x;
  while (x >= 0 && !binary.at(x, cy)) --x;
  if (x < 0) return false;
  const int reach = static_cast<int>(std::ceil(8 * finder->module)) + 2;
  const int left = std::max(0, cx - reach), top = std::max(0, cy - reach);
  const int right = std::min(binary.width - 1, cx + reach), bottom = std::min(binary.height - 1, cy + reach);
  const int boxWidth = right - left + 1;
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(boxWidth) * (bottom - top + 1), 0);
  std::vector<std::pair<int, int>> ring;
  std::vector<std::pair<int, int>> stack = {{x, cy}};
  seen[static_cast<std::size_t>(cy - top) * boxWidth + (x - left)] = 1;
  while (!stack.empty()) {
    const auto [px, py] = stack.back();
    stack.pop_back();
    ring.emplace_back(px, py);
    constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& step : kSteps) {
      const int nx = px + step[0], ny = py + step[1];
      if (nx < left || nx > right || ny < top || ny > bottom || !binary.at(nx, ny)) continue;
      std::uint8_t& mark = seen[static_cast<std::size_t>(ny - top) * boxWidth + (nx - left)];
      if (mark == 0) {
        mark = 1;
        stack.emplace_back(nx, ny);
      }
    }
  }
  // A ring joined to its core is no finder pattern (or too blurred to take corners from).
  if (seen[static_cast<std::size_t>(cy - top) * boxWidth + (cx - left)] != 0) return false;
  const auto farthest = [&ring](const auto& score) {
    std::pair<int, int> best = ring.front();
    double bestScore = score(best);
    for (const auto& p : ring) {
      const double s = score(p);
      if (s > bestScore) {
        bestScore = s;
        best = p;
      }
    }
    return best;
  };
  const auto distance_from = [](std::pair<int, int> from) {
    return [from](std::pair<int, int> p) { return std::hypot(p.first - from.first, p.second - from.second); };
  };
  const auto a = farthest(distance_from({cx, cy}));
  const auto b = farthest(distance_from(a));
  const auto side = [a, b](std::pair<int, int> p) {
    return static_cast<double>(b.first - a.first) * (p.second - a.second) -
           static_cast<double>(b.second - a.second) * (p.first - a.first);
  };
  const auto c = farthest(side);
  const auto d = farthest([&side](std::pair<int, int> p) { return -side(p); });
  const auto point = [](std::pair<int, int> p) { return PicturePoint{p.first + 0.5, p.second + 0.5}; };
  finder->corners = {point(a), point(c), point(b), point(d)};
  return side(c) > 0 && side(d) < 0;
}

struct Fit {
  Projection projection{};
  int dimension = 0;
  double residual = 0;  // mean distance of the corners from the grid's, in modules
};

// The symbol whose finder patterns are these (top left, top right, bottom left): each corner
// named by its side of the finder's centre along the symbol's two axes, then the side that fits
// the corners best.
bool fit_symbol(const Finder& topLeft, const Finder& topRight, const Finder& bottomLeft, Fit* best) {
  const PicturePoint u{topRight.centre.x - topLeft.centre.x, topRight.centre.y - topLeft.centre.y};
  const PicturePoint v{bottomLeft.centre.x - topLeft.centre.x, bottomLeft.centre.y - topLeft.centre.y};
  const double determinant = u.x * v.y - u.y * v.x;
  if (determinant <= 0) return false;
  std::vector<PicturePoint> pictured;
  std::vector<std::pair<int, int>> sides;  // for each corner: 0 or 1 along each axis
  for (const Finder* finder : {&topLeft, &topRight, &bottomLeft}) {
    for (const PicturePoint& corner : finder->corners) {
      const double dx = corner.x - finder->centre.x, dy = corner.y - finder->centre.y;
      const double along = (dx * v.y - dy * v.x) / determinant;
      const double across = (u.x * dy - u.y * dx) / determinant;
      pictured.push_back(corner);
      sides.emplace_back(along > 0 ? 1 : 0, across > 0 ? 1 : 0);
    }
  }
  // Each finder pattern needs all four of its corners named differently.
  for (int f = 0; f < 3; ++f) {
    int named = 0;
    for (int k = 0; k < 4; ++k) named |= 1 << (sides[f * 4 + k].first * 2 + sides[f * 4 + k].second);
    if (named != 15) return false;
  }
  const double module = (topLeft.module + topRight.module + bottomLeft.module) / 3;
  bool found = false;
  for (int dimension = kMinDimension; dimension <= kMaxDimension; dimension += 4) {
    const double far = dimension - 7;
    const std::array<PicturePoint, 3> origins = {PicturePoint{0, 0}, PicturePoint{far, 0}, PicturePoint{0, far}};
    std::vector<PicturePoint> grid;
    for (std::size_t i = 0; i < sides.size(); ++i) {
      grid.push_back({origins[i / 4].x + 7 * sides[i].first, origins[i / 4].y + 7 * sides[i].second});
    }
    Fit fit;
    if (!fit_projection(grid, pictured, &fit.projection)) continue;
    for (std::size_t i = 0; i < grid.size(); ++i) {
      const PicturePoint p = projected(fit.projection, grid[i]);
      fit.residual += std::hypot(p.x - pictured[i].x, p.y - pictured[i].y);
    }
    fit.residual /= static_cast<double>(grid.size()) * module;
    fit.dimension = dimension;
    if (!found || fit.residual < best->residual) *best = fit;
    found = true;
  }
  return found && best->residual <= kMaxResidualModules;
}

double sample(const GrayImage& picture, PicturePoint at) {
  const double x = at.x - 0.5, y = at.y - 0.5;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  const auto pixel = [&picture](int px, int py) -> double {
    px = std::clamp(px, 0, picture.width - 1);
    py = std::clamp(py, 0, picture.height - 1);
    return picture.pixels[static_cast<std::size_t>(py) * picture.width + px];
  };
  return (1 - fy) * ((1 - fx) * pixel(x0, y0) + fx * pixel(x0 + 1, y0)) +
         fy * ((1 - fx) * pixel(x0, y0 + 1) + fx * pixel(x0 + 1, y0 + 1));
}

GrayImage resampled(const GrayImage& picture, const Fit& fit) {
  const int modules = fit.dimension + 2 * kOutputMarginModules;
  GrayImage upright;
  upright.width = upright.height = modules * kOutputModulePixels;
  upright.pixels.resize(static_cast<std::size_t>(upright.width) * upright.height);
  std::uint8_t* out = upright.pixels.data();
  for (int y = 0; y < upright.height; ++y) {
    for (int x = 0; x < upright.width; ++x) {
      const PicturePoint module{(x + 0.5) / kOutputModulePixels - kOutputMarginModules,
                                (y + 0.5) / kOutputModulePixels - kOutputMarginModules};
      *out++ = static_cast<std::uint8_t>(std::lround(sample(picture, projected(fit.projection, module))));
    }
  }
  return upright;
}

}  // namespace

PicturePoint projected(const Projection& h, PicturePoint m) {
  const double w = h[6] * m.x + h[7] * m.y + 1;
  return {(h[0] * m.x + h[1] * m.y + h[2]) / w, (h[3] * m.x + h[4] * m.y + h[5]) / w};
}

bool fit_projection(const std::vector<PicturePoint>& from, const std::vector<PicturePoint>& to,
                    Projection* projection) {
  if (from.size() != to.size() || from.size() < 4) return false;
  // Both sides moved to their centroid and scaled to a unit spread, so that the normal equations
  // stay well conditioned for pictures thousands of pixels wide.
  const auto normalising = [](const std::vector<PicturePoint>& points, PicturePoint* centre, double* scale) {
    *centre = {};
    for (const PicturePoint& p : points) *centre = {centre->x + p.x, centre->y + p.y};
    *centre = {centre->x / points.size(), centre->y / points.size()};
    double spread = 0;
    for (const PicturePoint& p : points) spread += std::hypot(p.x - centre->x, p.y - centre->y);
    *scale = spread > 0 ? points.size() / spread : 0;
  };
  PicturePoint fromCentre, toCentre;
  double fromScale = 0, toScale = 0;
  normalising(from, &fromCentre, &fromScale);
  normalising(to, &toCentre, &toScale);
  if (fromScale == 0 || toScale == 0) return false;
  double normal[8][9] = {};
  for (std::size_t i = 0; i < from.size(); ++i) {
    const double x = (from[i].x - fromCentre.x) * fromScale, y = (from[i].y - fromCentre.y) * fromScale;
    const double u = (to[i].x - toCentre.x) * toScale, v = (to[i].y - toCentre.y) * toScale;
    const double rows[2][9] = {{x, y, 1, 0, 0, 0, -u * x, -u * y, u}, {0, 0, 0, x, y, 1, -v * x, -v * y, v}};
    for (const auto& row : rows) {
      for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 9; ++c) normal[r][c] += row[r] * row[c];
      }
    }
  }
  for (int column = 0; column < 8; ++column) {
    int pivot = column;
    for (int row = column + 1; row < 8; ++row) {
      if (std::abs(normal[row][column]) > std::abs(normal[pivot][column])) pivot = row;
    }
    if (std::abs(normal[pivot][column]) < 1e-12) return false;
    std::swap(normal[column], normal[pivot]);
    for (int row = 0; row < 8; ++row) {
      if (row == column) continue;
      const double factor = normal[row][column] / normal[column][column];
      for (int k = column; k < 9; ++k) normal[row][k] -= factor * normal[column][k];
    }
  }
  Projection n{};
  for (int i = 0; i < 8; ++i) n[i] = normal[i][8] / normal[i][i];
  // Undo the normalisation: to = T^-1 * N * F, with F and T the two similarity maps.
  const double a = fromScale, fx = -fromCentre.x * fromScale, fy = -fromCentre.y * fromScale;
  const double s = 1 / toScale;
  double m[3][3] = {{n[0] * a, n[1] * a, n[0] * fx + n[1] * fy + n[2]},
                    {n[3] * a, n[4] * a, n[3] * fx + n[4] * fy + n[5]},
                    {n[6] * a, n[7] * a, n[6] * fx + n[7] * fy + 1}};
  for (int c = 0; c < 3; ++c) {
    m[0][c] = s * m[0][c] + toCentre.x * m[2][c];
    m[1][c] = s * m[1][c] + toCentre.y * m[2][c];
  }
  if (std::abs(m[2][2]) < 1e-12) return false;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[r][c] /= m[2][2];
  }
  *projection = {m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1]};
  return true;
}

std::vector<GrayImage> qr_straightened(const GrayImage& picture) {
  if (picture.width < 21 || picture.height < 21) return {};
  const bool halve = static_cast<long>(picture.width) * picture.height > kHalvedAbovePixels;
  const Binary binary = binarised(halve ? halved(picture) : picture);
  std::vector<Finder> finders;
  for (Finder& finder : finder_centres(binary)) {
    if (finders.size() == kMaxFinders) break;
    if (finder.hits < 2 || !finder_corners(binary, &finder)) continue;
    if (halve) {
      finder.centre = {2 * finder.centre.x, 2 * finder.centre.y};
      finder.module *= 2;
      for (PicturePoint& corner : finder.corners) corner = {2 * corner.x, 2 * corner.y};
    }
    finders.push_back(finder);
  }
  std::vector<Fit> fits;
  const std::size_t n = finders.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      for (std::size_t k = j + 1; k < n; ++k) {
        // The top-left pattern faces the longest side; the other two follow by orientation.
        std::array<const Finder*, 3> three = {&finders[i], &finders[j], &finders[k]};
        const auto length = [](const Finder* a, const Finder* b) {
          return std::hypot(a->centre.x - b->centre.x, a->centre.y - b->centre.y);
        };
        const double sides[3] = {length(three[1], three[2]), length(three[0], three[2]),
                                 length(three[0], three[1])};
        const int corner = static_cast<int>(std::max_element(sides, sides + 3) - sides);
        std::swap(three[0], three[corner]);
        Fit fit;
        if (fit_symbol(*three[0], *three[1], *three[2], &fit) || fit_symbol(*three[0], *three[2], *three[1], &fit)) {
          fits.push_back(fit);
        }
      }
    }
  }
  std::sort(fits.begin(), fits.end(), [](const Fit& a, const Fit& b) { return a.residual < b.residual; });
  if (fits.size() > kMaxCandidates) fits.resize(kMaxCandidates);
  std::vector<GrayImage> upright;
  for (const Fit& fit : fits) upright.push_back(resampled(picture, fit));
  return upright;
}

}  // namespace tolvex
